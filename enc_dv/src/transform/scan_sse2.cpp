// Field difference, zigzag scans and AC measures in SSE2: a scanned block stays in eight
// registers between the gather and the measures.
#include <emmintrin.h>

#include <cstddef>
#include <utility>

#include "transform/scan_tmpl.h"

namespace encdv {

namespace {

// Horizontal reduction of eight 16-bit lanes with a lane-wise operation; the result is in
// lane 0.
template <typename Op>
inline __m128i ReduceLanes(__m128i x, Op op) {
    x = op(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(1, 0, 3, 2)));
    x = op(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1)));
    return op(x, _mm_shufflelo_epi16(x, _MM_SHUFFLE(2, 3, 0, 1)));
}

// The primitives of the scan kernels (scan_tmpl.h).
struct Scan {
    using Vector = __m128i;

    static __m128i Zero() { return _mm_setzero_si128(); }

    // One insert from memory per word, then one aligned store per row, which the measures and
    // the nonzero list read back whole.
    template <const uint8_t* Order, std::size_t Row, std::size_t... L>
    static __m128i GatherScanRow(__m128i row, const CoefficientWord* transformed,
                                 std::index_sequence<L...>) {
        ((row = _mm_insert_epi16(row, transformed[Order[8 * Row + L]], L)), ...);
        return row;
    }

    static __m128i LoadRow(const CoefficientWord* words) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(words));
    }
    static void StoreRow(CoefficientWord* words, __m128i row) {
        _mm_store_si128(reinterpret_cast<__m128i*>(words), row);
    }

    // The AC measures of a coefficient block held in eight registers.
    static uint32_t MeasureRows(const __m128i rows[8]) {
        const __m128i magnitudeMask = _mm_set1_epi16(0x07FF);
        // Word 0 (the DC slot) does not count.
        __m128i row = _mm_and_si128(
            rows[0], _mm_set_epi16(0x07FF, 0x07FF, 0x07FF, 0x07FF, 0x07FF, 0x07FF, 0x07FF, 0));
        __m128i largest = row;
        __m128i sum = row;
        for (int i = 1; i < 8; ++i) {
            row = _mm_and_si128(rows[i], magnitudeMask);
            largest = _mm_max_epi16(largest, row);
            sum = _mm_add_epi16(sum, row);
        }
        largest = ReduceLanes(largest, [](__m128i a, __m128i b) { return _mm_max_epi16(a, b); });
        sum = ReduceLanes(sum, [](__m128i a, __m128i b) { return _mm_add_epi16(a, b); });
        const uint32_t maxAc = static_cast<uint16_t>(_mm_cvtsi128_si32(largest));
        const uint32_t sumAc = static_cast<uint16_t>(_mm_cvtsi128_si32(sum));
        return (sumAc << 16) | maxAc;
    }

    static int FieldDifference(const uint8_t* samples) {
        const __m128i* rows = reinterpret_cast<const __m128i*>(samples);
        // Each load holds one line pair (2z in the low, 2z + 1 in the high 8 bytes); regroup the
        // even and the odd lines of two pairs so one sum of absolute differences measures both.
        const __m128i pairs01 = _mm_load_si128(rows), pairs23 = _mm_load_si128(rows + 1);
        const __m128i pairs45 = _mm_load_si128(rows + 2), pairs67 = _mm_load_si128(rows + 3);
        const __m128i upper = _mm_sad_epu8(_mm_unpacklo_epi64(pairs01, pairs23),
                                           _mm_unpackhi_epi64(pairs01, pairs23));
        const __m128i lower = _mm_sad_epu8(_mm_unpacklo_epi64(pairs45, pairs67),
                                           _mm_unpackhi_epi64(pairs45, pairs67));
        const __m128i sums = _mm_add_epi32(upper, lower);
        return _mm_cvtsi128_si32(_mm_add_epi32(sums, _mm_srli_si128(sums, 8)));
    }
};

}  // namespace

void SetScanKernels_SSE2(TransformKernels& kernels) {
    SetScanKernels<Scan>(kernels);
}

}  // namespace encdv
