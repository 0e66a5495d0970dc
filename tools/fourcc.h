// The eleven source layouts by name.
#ifndef DVENC_FOURCC_H
#define DVENC_FOURCC_H

#include <string>

namespace dvenc {

struct FourccInfo {
    const char* name;  // the four characters, case significant
    unsigned value;    // the library's FOURCC value (first character in the low byte)
    int bytesPerPixel;
};

// The entry named exactly name, or null.
const FourccInfo* FindFourcc(const std::string& name);
// The names, separated by ", ", for messages and help.
std::string FourccNames();

}  // namespace dvenc

#endif
