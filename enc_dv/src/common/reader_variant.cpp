#include "common/reader_variant.h"

namespace encdv {

bool SelectReaderVariant(PixelFormatCode code, bool alphaWeight, ReaderVariant* variant) {
    switch (code) {
        case kFormatUYVY:
        case kFormatUyVy:
            *variant = kVariantUYVY;
            return true;
        case kFormatYUY2:
        case kFormatYuYv:
            *variant = kVariantYUY2;
            return true;
        case kFormatBGR3:
            *variant = kVariantBGR3;
            return true;
        case kFormatR24C:
            *variant = kVariantR24C;
            return true;
        case kFormatBGR4:
            *variant = kVariantBGR4;
            return true;
        case kFormatBGRA:
            *variant = alphaWeight ? kVariantBGRAAlpha : kVariantBGR4;
            return true;
        case kFormatR32C:
            *variant = alphaWeight ? kVariantR32CAlpha : kVariantR32C;
            return true;
        case kFormatVUYA:
            *variant = alphaWeight ? kVariantVUYAAlpha : kVariantVUYA;
            return true;
        case kFormatI420:
            *variant = kVariantI420;
            return true;
        case kFormatYV12:
            *variant = kVariantYV12;
            return true;
        case kFormatY41B:
            *variant = kVariantY41B;
            return true;
        case kFormatY42B:
            *variant = kVariantY42B;
            return true;
        case kFormatYV16:
            *variant = kVariantYV16;
            return true;
    }
    return false;
}

}  // namespace encdv
