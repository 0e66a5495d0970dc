#ifndef ENC_DV_COMMON_PIXEL_FORMAT_H
#define ENC_DV_COMMON_PIXEL_FORMAT_H

#include <cstdint>

namespace encdv {

// Internal code of a source layout, derived from the caller's FOURCC.
enum PixelFormatCode : uint32_t {
    kFormatUYVY = 9009,
    kFormatYUY2 = 9010,
    kFormatBGR3 = 13088,
    kFormatBGR4 = 17187,
    kFormatBGRA = 17188,
    kFormatVUYA = 17200,
    kFormatUyVy = 74545,
    kFormatYuYv = 74546,
    kFormatR24C = 78624,
    kFormatR32C = 82723,
    // Planar layouts (a luma plane, then two chroma planes): their FOURCCs.
    kFormatI420 = 0x30323449,  // "I420", also "IYUV": Y, Cb, Cr at 4:2:0
    kFormatYV12 = 0x32315659,  // "YV12": Y, Cr, Cb at 4:2:0
    kFormatY41B = 0x42313459,  // "Y41B": Y, Cb, Cr at 4:1:1
    kFormatY42B = 0x42323459,  // "Y42B": Y, Cb, Cr at 4:2:2
    kFormatYV16 = 0x36315659,  // "YV16": Y, Cr, Cb at 4:2:2
};

}  // namespace encdv

#endif
