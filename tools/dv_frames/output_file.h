// The DV output: a named file or standard output ("-"), written one whole frame at a time.
#ifndef DVENC_OUTPUT_FILE_H
#define DVENC_OUTPUT_FILE_H

#include <cstddef>
#include <string>

namespace dvenc {

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens path ("-" = standard output), creating or emptying a file. Refuses a terminal
    // and, when inputDevice/inputInode name a regular file, that same file.
    bool Open(const std::string& path, bool haveInput, unsigned long long inputDevice,
              unsigned long long inputInode, std::string* error);

    // Appends one frame. If the write fails part way through, a regular file is cut back
    // to its last whole frame, so the output never ends in a partial frame.
    bool WriteFrame(const void* data, size_t bytes, std::string* error);
    // True after a write failed because the reading end of the pipe was closed (EPIPE).
    bool ReaderGone() const { return readerGone_; }
    // Closes, reporting late failures (network file systems report a full disk here).
    bool Close(std::string* error);

    unsigned long long BytesWritten() const { return committed_; }
    const std::string& Name() const { return name_; }

  private:
    int fd_ = -1;
    bool owned_ = false;
    bool regular_ = false;
    bool readerGone_ = false;
    unsigned long long committed_ = 0;
    std::string name_;
};

}  // namespace dvenc

#endif
