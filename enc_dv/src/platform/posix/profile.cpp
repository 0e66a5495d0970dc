// Settings from the environment: section DVCODEC, key CPUFeatures is DVCODEC_CPUFEATURES.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/profile.h"

namespace encdv::platform {

void ReadProfileString(const char* section, const char* key, char* buffer, std::size_t size) {
    if (size == 0) return;
    buffer[0] = '\0';
    char name[128];
    const std::size_t sectionLength = std::strlen(section);
    const std::size_t keyLength = std::strlen(key);
    if (sectionLength + 1 + keyLength >= sizeof(name)) return;
    std::size_t n = 0;
    for (std::size_t i = 0; i < sectionLength; ++i)
        name[n++] = static_cast<char>(std::toupper(static_cast<unsigned char>(section[i])));
    name[n++] = '_';
    for (std::size_t i = 0; i < keyLength; ++i)
        name[n++] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[i])));
    name[n] = '\0';

    const char* value = std::getenv(name);
    if (!value) return;
    std::strncpy(buffer, value, size - 1);
    buffer[size - 1] = '\0';
}

}  // namespace encdv::platform
