#include "chroma_upsampler.h"

#include <algorithm>

namespace dvenc {

namespace {

// Where output n falls among the source samples: between sample *k and *k + 1, at
// fraction / 16 of the way (floor division of the position in sixteenths).
void SourcePosition(int n, int ratio, int phase16, int* k, int* fraction) {
    const int u = (16 * n - phase16) / ratio;
    *k = u >= 0 ? u / 16 : -((15 - u) / 16);
    *fraction = u - 16 * *k;
}

uint8_t Blend(int a, int b, int fraction) {
    return static_cast<uint8_t>(((16 - fraction) * a + fraction * b + 8) >> 4);
}

// Vertical resampling of whole lines of a plane: source line k at output line
// ratio * k + phase16 / 16; lines are stride bytes apart in both planes.
void ResampleLines(const uint8_t* source, int sourceLines, uint8_t* destination,
                   int destinationLines, ptrdiff_t stride, int width, int ratio, int phase16) {
    for (int n = 0; n < destinationLines; ++n) {
        int k = 0;
        int fraction = 0;
        SourcePosition(n, ratio, phase16, &k, &fraction);
        const uint8_t* a = source + std::clamp(k, 0, sourceLines - 1) * stride;
        const uint8_t* b = source + std::clamp(k + 1, 0, sourceLines - 1) * stride;
        uint8_t* out = destination + n * stride;
        for (int x = 0; x < width; ++x) out[x] = Blend(a[x], b[x], fraction);
    }
}

}  // namespace

void ResampleLine(const uint8_t* source, int sourceCount, ptrdiff_t sourceStride,
                  uint8_t* destination, int destinationCount, ptrdiff_t destinationStride,
                  int ratio, int phase16) {
    const int last = sourceCount - 1;
    for (int n = 0; n < destinationCount; ++n) {
        int k = 0;
        int fraction = 0;
        SourcePosition(n, ratio, phase16, &k, &fraction);
        destination[n * destinationStride] =
            Blend(source[std::clamp(k, 0, last) * sourceStride],
                  source[std::clamp(k + 1, 0, last) * sourceStride], fraction);
    }
}

void Upsample420To422(const uint8_t* chroma, int chromaWidth, int width, int height,
                      Siting420 siting, bool interlaced, uint8_t* work, uint8_t* destination) {
    const int chromaHeight = (height + 1) / 2;
    // Chroma line j of the frame lies at luma line 2j + framePhase16 / 16.
    const int framePhase16 = siting == Siting420::kLeftTop ? 0 : 8;
    if (interlaced) {
        // In field f, chroma line j = 2i + f lies at frame line 4i + 2f + phase, which is
        // field line 2i + (f + phase) / 2.
        for (int field = 0; field < 2; ++field) {
            ResampleLines(chroma + field * chromaWidth, (chromaHeight - field + 1) / 2,
                          work + field * chromaWidth, (height - field + 1) / 2, 2 * chromaWidth,
                          chromaWidth, 2, (16 * field + framePhase16) / 2);
        }
    } else {
        ResampleLines(chroma, chromaHeight, work, height, chromaWidth, chromaWidth, 2,
                      framePhase16);
    }
    // Horizontally, 420jpeg chroma sits a quarter of a 4:2:2 chroma step right of the grid;
    // the other sitings are on it already.
    const int width422 = (width + 1) / 2;
    for (int y = 0; y < height; ++y) {
        const uint8_t* line = work + y * chromaWidth;
        uint8_t* out = destination + y * width422;
        if (siting == Siting420::kCentred) {
            ResampleLine(line, chromaWidth, 1, out, width422, 1, 1, 4);
        } else {
            std::copy(line, line + width422, out);
        }
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
