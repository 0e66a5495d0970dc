// Interleaving of planar Y'CbCr into the packed layouts the encoder reads.
#ifndef DVENC_FRAME_PACKING_H
#define DVENC_FRAME_PACKING_H

#include <cstddef>
#include <cstdint>

namespace dvenc {

// 4:2:2 planes (chroma ceil(width / 2) wide) to "YUY2": Y0 Cb Y1 Cr. Without chroma planes
// (null) Cb and Cr are 128. width must be even.
void PackYuy2(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, int width, int height,
              uint8_t* destination, ptrdiff_t pitch);

// 4:4:4 planes to "VUYA": Cr Cb Y A. Without an alpha plane (null) A is 255 (opaque).
void PackVuya(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, const uint8_t* alpha,
              int width, int height, uint8_t* destination, ptrdiff_t pitch);

}  // namespace dvenc

#endif
