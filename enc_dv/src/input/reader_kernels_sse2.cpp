// The reader kernels in SSE2.
#include <emmintrin.h>

#include "input/packed_422_sse2.h"
#include "input/reader_kernels.h"

namespace encdv {

namespace {

inline __m128i Load8(const uint8_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline void Store8(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// The packed 4:2:2 layouts need no conversion, only reordering, so their macroblock is read
// in registers without the row kernel: the same bytes as the generic path, without its
// round trips through the context.
template <bool kLumaFirst>
void ReadPacked420(const uint8_t* line, std::ptrdiff_t pitch, MacroblockPixels* destination) {
    for (int group = 0; group < 4; ++group) {
        uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
        uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
        __m128i cb[4], cr[4];
        for (int j = 0; j < 4; ++j, line += pitch) {
            const __m128i luma = SplitPacked422<kLumaFirst>(line, &cb[j], &cr[j]);
            const int row = 4 * (group & 1) + j;
            Store8(left + 8 * row, luma);
            Store8(right + 8 * row, _mm_srli_si128(luma, 8));
        }
        // Chroma rows 2G and 2G+1: lines 0 and 2 of the group are one field, 1 and 3 the other.
        const __m128i cbRows =
            _mm_packus_epi16(_mm_avg_epu16(cb[0], cb[2]), _mm_avg_epu16(cb[1], cb[3]));
        const __m128i crRows =
            _mm_packus_epi16(_mm_avg_epu16(cr[0], cr[2]), _mm_avg_epu16(cr[1], cr[3]));
        _mm_store_si128(reinterpret_cast<__m128i*>(destination->blocks[kBlockCb] + 16 * group),
                        cbRows);
        _mm_store_si128(reinterpret_cast<__m128i*>(destination->blocks[kBlockCr] + 16 * group),
                        crRows);
    }
}

// Chroma rows 2G and 2G+1 from the four converted lines of group G: lines 0 and 2 belong to
// one field, lines 1 and 3 to the other, and each row is the rounded average of its field's pair.
inline void FieldAverage(const uint8_t* scratch, uint8_t* block, int group) {
    Store8(block + 16 * group, _mm_avg_epu8(Load8(scratch), Load8(scratch + 16)));
    Store8(block + 16 * group + 8, _mm_avg_epu8(Load8(scratch + 8), Load8(scratch + 24)));
}

void StoreGroup420(const KernelContext* context, int group, MacroblockPixels* destination) {
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

}  // namespace

void SetReaderKernels_SSE2(ReaderKernels& kernels) {
    kernels.readPacked420[0] = ReadPacked420<true>;
    kernels.readPacked420[1] = ReadPacked420<false>;
    kernels.storeGroup420 = StoreGroup420;
}

}  // namespace encdv
