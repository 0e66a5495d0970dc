#include "sources/frame_packing.h"

namespace dvenc {

void PackYuy2(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, int width, int height,
              uint8_t* destination, ptrdiff_t pitch) {
    const int chromaWidth = width / 2;
    for (int y = 0; y < height; ++y) {
        const uint8_t* l = luma + static_cast<ptrdiff_t>(y) * width;
        uint8_t* out = destination + y * pitch;
        for (int i = 0; i < chromaWidth; ++i) {
            out[4 * i + 0] = l[2 * i];
            out[4 * i + 1] = cb ? cb[y * chromaWidth + i] : 128;
            out[4 * i + 2] = l[2 * i + 1];
            out[4 * i + 3] = cr ? cr[y * chromaWidth + i] : 128;
        }
    }
}

void PackVuya(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, const uint8_t* alpha,
              int width, int height, uint8_t* destination, ptrdiff_t pitch) {
    for (int y = 0; y < height; ++y) {
        const ptrdiff_t row = static_cast<ptrdiff_t>(y) * width;
        uint8_t* out = destination + y * pitch;
        for (int x = 0; x < width; ++x) {
            out[4 * x + 0] = cr[row + x];
            out[4 * x + 1] = cb[row + x];
            out[4 * x + 2] = luma[row + x];
            out[4 * x + 3] = alpha ? alpha[row + x] : 255;
        }
    }
}

}  // namespace dvenc
