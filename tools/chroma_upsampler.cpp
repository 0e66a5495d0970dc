#include "chroma_upsampler.h"

#include <algorithm>

namespace dvenc {

void ResampleLine(const uint8_t* source, int sourceCount, ptrdiff_t sourceStride,
                  uint8_t* destination, int destinationCount, ptrdiff_t destinationStride,
                  int ratio, int phase16) {
    const int last = sourceCount - 1;
    for (int n = 0; n < destinationCount; ++n) {
        // Position of output n in source units, in sixteenths; floor division.
        const int u = (16 * n - phase16) / ratio;
        const int k = u >= 0 ? u / 16 : -((15 - u) / 16);
        const int fraction = u - 16 * k;
        const int a = source[std::clamp(k, 0, last) * sourceStride];
        const int b = source[std::clamp(k + 1, 0, last) * sourceStride];
        destination[n * destinationStride] =
            static_cast<uint8_t>(((16 - fraction) * a + fraction * b + 8) >> 4);
    }
}

void Upsample420To422(const uint8_t* chroma, int chromaWidth, int width, int height,
                      Siting420 siting, bool interlaced, uint8_t* work, uint8_t* destination) {
    const int chromaHeight = (height + 1) / 2;
    // Chroma line j of the frame lies at luma line 2j + framePhase16 / 16.
    const int framePhase16 = siting == Siting420::kLeftTop ? 0 : 8;
    for (int x = 0; x < chromaWidth; ++x) {
        if (!interlaced) {
            ResampleLine(chroma + x, chromaHeight, chromaWidth, work + x, height, chromaWidth, 2,
                         framePhase16);
            continue;
        }
        // In field f, chroma line j = 2i + f lies at frame line 4i + 2f + phase, which is
        // field line 2i + (f + phase) / 2.
        for (int field = 0; field < 2; ++field) {
            const int fieldChroma = (chromaHeight - field + 1) / 2;
            const int fieldLines = (height - field + 1) / 2;
            ResampleLine(chroma + field * chromaWidth + x, fieldChroma, 2 * chromaWidth,
                         work + field * chromaWidth + x, fieldLines, 2 * chromaWidth, 2,
                         (16 * field + framePhase16) / 2);
        }
    }
    // Horizontally, 420jpeg chroma sits a quarter of a 4:2:2 chroma step right of the grid.
    const int width422 = (width + 1) / 2;
    const int horizontalPhase16 = siting == Siting420::kCentred ? 4 : 0;
    for (int y = 0; y < height; ++y) {
        ResampleLine(work + y * chromaWidth, chromaWidth, 1, destination + y * width422, width422,
                     1, 1, horizontalPhase16);
    }
}

void Upsample411To422(const uint8_t* chroma, int width, int height, uint8_t* destination) {
    const int chromaWidth = (width + 3) / 4;
    const int width422 = (width + 1) / 2;
    for (int y = 0; y < height; ++y) {
        ResampleLine(chroma + y * chromaWidth, chromaWidth, 1, destination + y * width422, width422,
                     1, 2, 0);
    }
}

}  // namespace dvenc
