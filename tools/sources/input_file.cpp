#include "sources/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sources/system_io.h"

namespace dvenc {

namespace {
constexpr size_t kBufferBytes = 1 << 16;
}

InputFile::~InputFile() {
    if (owned_ && fd_ >= 0) close(fd_);
}

bool InputFile::Open(const std::string& path, std::string* error) {
    if (path == "-") {
        Attach(STDIN_FILENO, "standard input");
        return true;
    }
    const int fd = open(path.c_str(), O_RDONLY | OpenFlags());
    if (fd < 0) {
        *error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        close(fd);
        *error = "cannot read '" + path + "': it is a directory";
        return false;
    }
    Attach(fd, "'" + path + "'");
    owned_ = true;
    return true;
}

void InputFile::Attach(int fd, const std::string& name) {
    fd_ = fd;
    name_ = name;
    buffer_.resize(kBufferBytes);
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        // Only what lies ahead of the current position counts (a seeked standard input).
        const off_t position = lseek(fd, 0, SEEK_CUR);
        size_ = static_cast<long long>(info.st_size) - (position > 0 ? position : 0);
    }
}

bool InputFile::Identity(unsigned long long* device, unsigned long long* inode) const {
    return fd_ >= 0 && FileIdentity(fd_, device, inode);
}

size_t InputFile::ReadSome(unsigned char* destination, size_t count) {
    if (failed_ || ended_) return 0;
    const ssize_t got = read(fd_, destination, count);
    if (got > 0) return static_cast<size_t>(got);
    if (got == 0) {
        ended_ = true;
    } else if (errno == EINTR) {
        // Signals are installed without SA_RESTART: the user asked to stop.
        interrupted_ = true;
        failed_ = true;
        errorText_ = "interrupted";
    } else {
        failed_ = true;
        errorText_ = "cannot read " + name_ + ": " + std::strerror(errno);
    }
    return 0;
}

bool InputFile::Fill() {
    begin_ = 0;
    end_ = ReadSome(buffer_.data(), buffer_.size());
    return end_ > 0;
}

size_t InputFile::Read(void* destination, size_t count) {
    auto* out = static_cast<unsigned char*>(destination);
    size_t done = 0;
    while (done < count) {
        if (begin_ == end_) {
            // Large reads bypass the buffer.
            if (count - done >= buffer_.size()) {
                const size_t got = ReadSome(out + done, count - done);
                if (got == 0) break;
                done += got;
                continue;
            }
            if (!Fill()) break;
        }
        const size_t take = std::min(count - done, end_ - begin_);
        std::memcpy(out + done, buffer_.data() + begin_, take);
        begin_ += take;
        done += take;
    }
    return done;
}

size_t InputFile::Peek(void* destination, size_t count) {
    count = std::min<size_t>(count, 4096);
    if (end_ - begin_ < count) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        while (end_ < count) {
            const size_t got = ReadSome(buffer_.data() + end_, buffer_.size() - end_);
            if (got == 0) break;
            end_ += got;
        }
    }
    const size_t have = std::min(count, end_ - begin_);
    std::memcpy(destination, buffer_.data() + begin_, have);
    return have;
}

InputFile::LineResult InputFile::ReadLine(std::string* line, size_t maxLength) {
    line->clear();
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            if (failed_) return LineResult::kError;
            return line->empty() ? LineResult::kEnd : LineResult::kPartial;
        }
        const unsigned char* start = buffer_.data() + begin_;
        const auto* newline =
            static_cast<const unsigned char*>(std::memchr(start, '\n', end_ - begin_));
        const size_t take = newline ? static_cast<size_t>(newline - start) : end_ - begin_;
        if (line->size() + take > maxLength) {
            // Keep the start, so that the caller can tell what kind of line it was.
            line->append(reinterpret_cast<const char*>(start), maxLength - line->size());
            return LineResult::kTooLong;
        }
        line->append(reinterpret_cast<const char*>(start), take);
        begin_ += take;
        if (newline) {
            ++begin_;
            return LineResult::kLine;
        }
    }
}

}  // namespace dvenc
