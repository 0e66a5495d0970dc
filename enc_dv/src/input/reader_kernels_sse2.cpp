// The reader kernels in SSE2.
#include <emmintrin.h>

#include "input/packed_422_sse2.h"
#include "input/reader_kernels.h"
#include "input/reader_kernels_tmpl.h"

namespace encdv {

namespace {

inline __m128i Load8(const uint8_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline void Store8(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// The primitives of the reader kernels (reader_kernels_tmpl.h).
struct Reader {
    using Luma = __m128i;
    using Chroma = __m128i;  // eight samples as 16-bit lanes

    template <bool kLumaFirst>
    static __m128i SplitLine(const uint8_t* line, __m128i* cb, __m128i* cr) {
        return SplitPacked422<kLumaFirst>(line, cb, cr);
    }

    static __m128i LoadLuma16(const uint8_t* samples) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(samples));
    }

    static void StoreLumaHalves(uint8_t* left, uint8_t* right, __m128i luma) {
        Store8(left, luma);
        Store8(right, _mm_srli_si128(luma, 8));
    }

    static void StoreFieldAverages(uint8_t* rows, const __m128i lines[4]) {
        _mm_store_si128(
            reinterpret_cast<__m128i*>(rows),
            _mm_packus_epi16(_mm_avg_epu16(lines[0], lines[2]), _mm_avg_epu16(lines[1], lines[3])));
    }

    static void AverageFields(const uint8_t* scratch, uint8_t* rows) {
        Store8(rows, _mm_avg_epu8(Load8(scratch), Load8(scratch + 16)));
        Store8(rows + 8, _mm_avg_epu8(Load8(scratch + 8), Load8(scratch + 24)));
    }
};

}  // namespace

void SetReaderKernels_SSE2(ReaderKernels& kernels) {
    SetReaderKernels<Reader>(kernels);
}

}  // namespace encdv
