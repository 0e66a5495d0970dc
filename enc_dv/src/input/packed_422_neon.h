#ifndef ENC_DV_INPUT_PACKED_422_NEON_H
#define ENC_DV_INPUT_PACKED_422_NEON_H

#include <arm_neon.h>

#include <cstdint>

namespace encdv {

// Splits 16 pixels (32 bytes) of a packed 4:2:2 line, YUY2 order Y0 Cb Y1 Cr when kLumaFirst
// and UYVY order Cb Y0 Cr Y1 otherwise, into 16 luma bytes (returned) and eight Cb and eight
// Cr bytes.
template <bool kLumaFirst>
inline uint8x16_t SplitPacked422(const uint8_t* source, uint8x8_t* cb, uint8x8_t* cr) {
    const uint8x8x4_t pairs = vld4_u8(source);  // four bytes per pixel pair
    const uint8x8_t lumaEven = kLumaFirst ? pairs.val[0] : pairs.val[1];
    const uint8x8_t lumaOdd = kLumaFirst ? pairs.val[2] : pairs.val[3];
    *cb = kLumaFirst ? pairs.val[1] : pairs.val[0];
    *cr = kLumaFirst ? pairs.val[3] : pairs.val[2];
    const uint8x8x2_t luma = vzip_u8(lumaEven, lumaOdd);
    return vcombine_u8(luma.val[0], luma.val[1]);
}

}  // namespace encdv

#endif
