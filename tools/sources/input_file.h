// Buffered reading of the input stream: a named file or standard input ("-").
#ifndef DVENC_INPUT_FILE_H
#define DVENC_INPUT_FILE_H

#include <cstddef>
#include <string>
#include <vector>

namespace dvenc {

class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens path ("-" = standard input). On failure returns false with a message naming it.
    bool Open(const std::string& path, std::string* error);
    // Reads from an already open descriptor (used by tests); the descriptor is not closed.
    void Attach(int fd, const std::string& name);

    // Reads up to count bytes, stopping early only at the end of the stream or on an error;
    // returns the number read. Failed() tells an error from the end of the stream.
    size_t Read(void* destination, size_t count);
    // Copies up to count bytes (at most 4096) of what comes next without consuming them;
    // returns how many there are, fewer only at the end of the stream or on an error.
    size_t Peek(void* destination, size_t count);
    enum class LineResult { kLine, kEnd, kPartial, kTooLong, kError };
    // Reads one line without its '\n': kLine; kEnd when the stream ends before any byte;
    // kPartial when it ends inside the line; kTooLong when no '\n' comes within maxLength
    // bytes (*line then holds its first maxLength bytes); kError on a read error (see ErrorText).
    LineResult ReadLine(std::string* line, size_t maxLength);

    bool Failed() const { return failed_; }
    bool Interrupted() const { return interrupted_; }
    const std::string& ErrorText() const { return errorText_; }
    const std::string& Name() const { return name_; }
    // Byte size of a regular file, or -1 (pipes, terminals, devices).
    long long Size() const { return size_; }
    // Device and inode, to refuse an output file that is the input itself.
    bool Identity(unsigned long long* device, unsigned long long* inode) const;

  private:
    // One read() call: the bytes it gave, or 0 at the end of the stream or on an error.
    size_t ReadSome(unsigned char* destination, size_t count);
    bool Fill();

    int fd_ = -1;
    bool owned_ = false;
    bool failed_ = false;
    bool interrupted_ = false;
    bool ended_ = false;
    long long size_ = -1;
    std::string name_;
    std::string errorText_;
    std::vector<unsigned char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
};

}  // namespace dvenc

#endif
