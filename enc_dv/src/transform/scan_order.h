#ifndef ENC_DV_TRANSFORM_SCAN_ORDER_H
#define ENC_DV_TRANSFORM_SCAN_ORDER_H

#include <cstdint>

namespace encdv {

// Zigzag scan of the 8-8 DCT (IEC 61834-2): for each scan position, the index 8h + v of the
// transform output it takes.
inline constexpr uint8_t kScanOrder88[64] = {
    0,  8,  1,  2,  9,  16, 24, 17, 10, 3,  4,  11, 18, 25, 32, 40,  //
    33, 26, 19, 12, 5,  6,  13, 20, 27, 34, 41, 48, 56, 49, 42, 35,  //
    28, 21, 14, 7,  15, 22, 29, 36, 43, 50, 57, 58, 51, 44, 37, 30,  //
    23, 31, 38, 45, 52, 59, 60, 53, 46, 39, 47, 54, 61, 62, 55, 63,
};

// Scan of the 2-4-8 DCT (IEC 61834-2): for each scan position, the index 8h + 2u + d of the
// transform output it takes; each (u, h) is visited sum half first, then difference half.
inline constexpr uint8_t kScanOrder248[64] = {
    0,  1,  8,  9,  2,  3,  16, 17, 10, 11, 4,  5,  6,  7,  12, 13,  //
    18, 19, 24, 25, 32, 33, 26, 27, 20, 21, 14, 15, 22, 23, 28, 29,  //
    34, 35, 40, 41, 48, 49, 42, 43, 36, 37, 30, 31, 38, 39, 44, 45,  //
    50, 51, 56, 57, 58, 59, 52, 53, 46, 47, 54, 55, 60, 61, 62, 63,
};

}  // namespace encdv

#endif
