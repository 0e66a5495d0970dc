// Full-range (0-255) Y'CbCr samples to the studio range DV codes (Y' 16-235, Cb and Cr
// 16-240, Rec. 601), in place.
#ifndef DVENC_RANGE_CONVERSION_H
#define DVENC_RANGE_CONVERSION_H

#include <cstddef>
#include <cstdint>

namespace dvenc {

// Y' = 16 + (Y x 219/255): the scale in 15-bit fixed point and the rounding term of the
// library's own conversion of full-range pictures.
void FullToStudioLuma(uint8_t* samples, size_t count);
// C' = 128 + (C - 128) x 224/255, rounded to nearest.
void FullToStudioChroma(uint8_t* samples, size_t count);

}  // namespace dvenc

#endif
