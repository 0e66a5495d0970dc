#include "dv_frames/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sources/system_io.h"

namespace dvenc {

OutputFile::~OutputFile() {
    if (owned_ && fd_ >= 0) close(fd_);
}

bool OutputFile::Open(const std::string& path, bool haveInput, unsigned long long inputDevice,
                      unsigned long long inputInode, std::string* error) {
    int fd = STDOUT_FILENO;
    if (path == "-") {
        name_ = "standard output";
        if (isatty(fd)) {
            *error = "standard output is a terminal; give an output file or a pipe";
            return false;
        }
    } else {
        name_ = "'" + path + "'";
        // Not truncated yet: first make sure it is not the input.
        fd = open(path.c_str(), O_WRONLY | O_CREAT | OpenFlags(), 0666);
        if (fd < 0) {
            *error = "cannot create " + name_ + ": " + std::strerror(errno);
            return false;
        }
        owned_ = true;
    }
    fd_ = fd;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        regular_ = true;
        unsigned long long device = 0, file = 0;
        if (haveInput && FileIdentity(fd, &device, &file) && device == inputDevice &&
            file == inputInode) {
            *error = "the output " + name_ + " is the input file";
            return false;
        }
        if (owned_ && ftruncate(fd, 0) != 0) {
            *error = "cannot empty " + name_ + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

bool OutputFile::WriteFrame(const void* data, size_t bytes, std::string* error) {
    const auto* p = static_cast<const unsigned char*>(data);
    size_t done = 0;
    while (done < bytes) {
        const ssize_t wrote = write(fd_, p + done, bytes - done);
        if (wrote > 0) {
            done += static_cast<size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR) continue;  // finish the frame, then stop
        const int code = wrote < 0 ? errno : ENOSPC;
        readerGone_ = code == EPIPE;
        *error = "cannot write " + name_ + ": " + std::strerror(code);
        if (done > 0 && regular_) {
            // Drop the partial frame. A file opened by us started empty at offset 0; on a
            // redirected standard output the frames went after its starting offset.
            const off_t end = lseek(fd_, 0, SEEK_CUR);
            if (end < 0 || ftruncate(fd_, end - static_cast<off_t>(done)) != 0 ||
                lseek(fd_, end - static_cast<off_t>(done), SEEK_SET) < 0) {
                *error += " (and the partial last frame could not be removed)";
            }
        } else if (done > 0) {
            *error += " (the stream ends in a partial frame)";
        }
        return false;
    }
    committed_ += bytes;
    return true;
}

bool OutputFile::Close(std::string* error) {
    if (fd_ < 0) return true;
    bool ok = true;
    if (owned_ && close(fd_) != 0) {
        *error = "cannot write " + name_ + ": " + std::strerror(errno);
        ok = false;
    }
    fd_ = -1;
    return ok;
}

}  // namespace dvenc
