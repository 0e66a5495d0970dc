#ifndef ENC_DV_COMMON_READER_VARIANT_H
#define ENC_DV_COMMON_READER_VARIANT_H

#include "common/pixel_format.h"

namespace encdv {

// The source layouts a reader can be built for: the pixel-format code, and for the layouts
// with alpha whether colours are weighted by it. The ten packed ones come first.
enum ReaderVariant : int {
    kVariantYUY2 = 0,   // Y0 Cb Y1 Cr (YUY2, YUYV, YuYv)
    kVariantUYVY,       // Cb Y0 Cr Y1 (UYVY, UyVy)
    kVariantVUYA,       // Cr Cb Y A, alpha ignored
    kVariantVUYAAlpha,  // Cr Cb Y A, alpha-weighted
    kVariantBGR3,       // B G R, full range
    kVariantBGR4,       // B G R x, full range (BGR4, and BGRA without alpha weighting)
    kVariantBGRAAlpha,  // B G R A, full range, alpha-weighted
    kVariantR24C,       // B G R, studio range
    kVariantR32C,       // B G R x, studio range, alpha ignored
    kVariantR32CAlpha,  // B G R A, studio range, alpha-weighted
    kPackedVariantCount,
    kVariantI420 = kPackedVariantCount,  // planes Y, Cb, Cr at 4:2:0 (I420, IYUV)
    kVariantYV12,                        // planes Y, Cr, Cb at 4:2:0
    kVariantY41B,                        // planes Y, Cb, Cr at 4:1:1
    kVariantY42B,                        // planes Y, Cb, Cr at 4:2:2
    kVariantYV16,                        // planes Y, Cr, Cb at 4:2:2
    kReaderVariantCount,
};

inline bool IsPlanarVariant(ReaderVariant variant) {
    return variant >= kVariantI420 && variant < kReaderVariantCount;
}

// The reader variant for a pixel-format code with or without alpha weighting; false (variant
// untouched) for an unknown code.
bool SelectReaderVariant(PixelFormatCode code, bool alphaWeight, ReaderVariant* variant);

}  // namespace encdv

#endif
