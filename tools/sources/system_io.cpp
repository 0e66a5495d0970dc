#include "sources/system_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <cstdio>
#endif

namespace dvenc {

#ifdef _WIN32

int OpenFlags() {
    return O_BINARY | O_NOINHERIT;
}

bool LocalTime(std::time_t seconds, std::tm* local) {
    return localtime_s(local, &seconds) == 0;
}

std::time_t UtcSeconds(std::tm* utc) {
    return _mkgmtime(utc);
}

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

bool FileIdentity(int fd, unsigned long long* device, unsigned long long* file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &info)) {
        return false;
    }
    *device = info.dwVolumeSerialNumber;
    *file = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

#else

int OpenFlags() {
    return O_CLOEXEC;
}

bool LocalTime(std::time_t seconds, std::tm* local) {
    return localtime_r(&seconds, local) != nullptr;
}

std::time_t UtcSeconds(std::tm* utc) {
    return timegm(utc);
}

void UseBinaryStandardStreams() {}

bool FileIdentity(int fd, unsigned long long* device, unsigned long long* file) {
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    *device = info.st_dev;
    *file = info.st_ino;
    return true;
}

#endif

}  // namespace dvenc
