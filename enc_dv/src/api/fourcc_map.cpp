// The accepted FOURCCs and the source layout of each.
#include "api/fourcc_map.h"

namespace encdv {
namespace {

// FOURCC (first character in the low byte) and the code of its source layout.
struct FourccEntry {
    uint32_t fourcc;
    PixelFormatCode code;
};
constexpr FourccEntry kFourccTable[] = {
    {0x32595559, kFormatYUY2},  // "YUY2"
    {0x56595559, kFormatYUY2},  // "YUYV"
    {0x59565955, kFormatUYVY},  // "UYVY"
    {0x33524742, kFormatBGR3},  // "BGR3"
    {0x34524742, kFormatBGR4},  // "BGR4"
    {0x41524742, kFormatBGRA},  // "BGRA"
    {0x41595556, kFormatVUYA},  // "VUYA"
    {0x43343252, kFormatR24C},  // "R24C"
    {0x43323352, kFormatR32C},  // "R32C"
    {0x76597559, kFormatYuYv},  // "YuYv"
    {0x79567955, kFormatUyVy},  // "UyVy"
    {0x30323449, kFormatI420},  // "I420"
    {0x56555949, kFormatI420},  // "IYUV"
    {0x32315659, kFormatYV12},  // "YV12"
    {0x42313459, kFormatY41B},  // "Y41B"
    {0x42323459, kFormatY42B},  // "Y42B"
    {0x36315659, kFormatYV16},  // "YV16"
};

}  // namespace

bool MapFourcc(uint32_t fourcc, PixelFormatCode* code) {
    for (const FourccEntry& entry : kFourccTable) {
        if (entry.fourcc == fourcc) {
            *code = entry.code;
            return true;
        }
    }
    return false;
}

}  // namespace encdv
