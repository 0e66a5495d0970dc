// Settings from the Windows profile (win.ini), e.g. section DVCODEC, key CPUFeatures.
#include "platform/profile.h"

#include <windows.h>

#include <climits>

namespace encdv::platform {

void ReadProfileString(const char* section, const char* key, char* buffer, std::size_t size) {
    if (size == 0) return;
    const DWORD capacity = size > UINT_MAX ? UINT_MAX : static_cast<DWORD>(size);
    GetProfileStringA(section, key, "", buffer, capacity);
    buffer[size - 1] = '\0';
}

}  // namespace encdv::platform
