// The library's source layouts by name: eleven packed, six planar.
#ifndef DVENC_FOURCC_H
#define DVENC_FOURCC_H

#include <cstddef>
#include <string>

namespace dvenc {

struct FourccInfo {
    const char* name;   // the four characters, case significant
    unsigned value;     // the library's FOURCC value (first character in the low byte)
    int bytesPerPixel;  // of the luma plane for the planar layouts
    // Planar layouts: a chroma line is the luma pitch / chromaDivisor bytes, and a chroma
    // plane has half the luma plane's lines (rounded up) when halvedLines; 0 when packed.
    int chromaDivisor;
    bool halvedLines;
};

// Bytes of one raw frame of the layout with the given luma pitch and lines.
size_t RawFrameBytes(const FourccInfo& fourcc, int pitch, int lines);

// The entry named exactly name, or null.
const FourccInfo* FindFourcc(const std::string& name);
// The names, separated by ", ", for messages and help.
std::string FourccNames();

}  // namespace dvenc

#endif
