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
};

}  // namespace encdv

#endif
