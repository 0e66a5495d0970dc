// The few system calls that Windows (mingw-w64's C runtime) spells differently from POSIX:
// how files are opened, local and UTC time, binary standard streams, a file's identity.
#ifndef DVENC_SYSTEM_IO_H
#define DVENC_SYSTEM_IO_H

#include <ctime>

namespace dvenc {

// Flags for open() besides the access mode: not inherited by child processes and, on
// Windows, binary (no line-end translation).
int OpenFlags();

// localtime_r: false if the time cannot be converted.
bool LocalTime(std::time_t seconds, std::tm* local);
// timegm: the seconds of a broken-down UTC time, or -1.
std::time_t UtcSeconds(std::tm* utc);

// Windows opens standard input and output in text mode; DV and YUV4MPEG2 are bytes.
void UseBinaryStandardStreams();

// The device and file number of the regular file open on `fd` (on Windows the volume
// serial number and the file index); false for pipes, terminals and devices.
bool FileIdentity(int fd, unsigned long long* device, unsigned long long* file);

}  // namespace dvenc

#endif
