#ifndef ENC_DV_PLATFORM_PROFILE_H
#define ENC_DV_PLATFORM_PROFILE_H

#include <cstddef>

namespace encdv::platform {

// Reads a setting (Windows: the profile; elsewhere the environment variable
// SECTION_KEY in upper case, e.g. DVCODEC_CPUFEATURES) into buffer, zero-terminated,
// truncated to size - 1 characters; empty when absent.
void ReadProfileString(const char* section, const char* key, char* buffer, std::size_t size);

}  // namespace encdv::platform

#endif
