#ifndef ENC_DV_COMMON_READER_VARIANT_H
#define ENC_DV_COMMON_READER_VARIANT_H

#include "common/pixel_format.h"

namespace encdv {

// The ten source layouts a reader can be built for: the pixel-format code, and for the
// layouts with alpha whether colours are weighted by it.
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
    kReaderVariantCount,
};

// The reader variant for a pixel-format code with or without alpha weighting; false (variant
// untouched) for an unknown code.
bool SelectReaderVariant(PixelFormatCode code, bool alphaWeight, ReaderVariant* variant);

}  // namespace encdv

#endif
