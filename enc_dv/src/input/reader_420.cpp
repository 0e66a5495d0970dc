#include "input/reader_420.h"

#include <emmintrin.h>

#include <cstddef>

namespace encdv {

namespace {

inline __m128i Load8(const uint8_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline void Store8(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// Chroma rows 2G and 2G+1 from the four converted lines of group G: lines 0 and 2 belong to
// one field, lines 1 and 3 to the other, and each row is the rounded average of its field's pair.
inline void FieldAverage(const uint8_t* scratch, uint8_t* block, int group) {
    Store8(block + 16 * group, _mm_avg_epu8(Load8(scratch), Load8(scratch + 16)));
    Store8(block + 16 * group + 8, _mm_avg_epu8(Load8(scratch + 8), Load8(scratch + 24)));
}

}  // namespace

void ReadMacroblock420(SourceReader* reader, int threadIndex, int x, int y,
                       MacroblockPixels* destination) {
    KernelContext* const context = reader->contexts[threadIndex];
    const RowKernel stripTo422 = context->stripTo422;
    const std::ptrdiff_t pitch = reader->pitch;
    const uint8_t* line = reader->source + static_cast<std::ptrdiff_t>(y) * pitch +
                          static_cast<std::ptrdiff_t>(x) * reader->bytesPerPixel;
    for (int group = 0; group < 4; ++group) {
        context->lumaDestination = context->scratchLuma;
        context->cbDestination = context->scratchCb;
        context->crDestination = context->scratchCr;
        for (int j = 0; j < 4; ++j) {
            context->source = line;
            stripTo422(context);
            line += pitch;
            context->lumaDestination += 16;
            context->cbDestination += 8;
            context->crDestination += 8;
        }
        // Lines 0-7 fill Y0 and Y1, lines 8-15 fill Y2 and Y3.
        uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
        uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
        for (int j = 0; j < 4; ++j) {
            const int row = 4 * (group & 1) + j;
            const __m128i luma =
                _mm_load_si128(reinterpret_cast<const __m128i*>(context->scratchLuma + 16 * j));
            Store8(left + 8 * row, luma);
            Store8(right + 8 * row, _mm_srli_si128(luma, 8));
        }
        FieldAverage(context->scratchCb, destination->blocks[kBlockCb], group);
        FieldAverage(context->scratchCr, destination->blocks[kBlockCr], group);
    }
}

}  // namespace encdv
