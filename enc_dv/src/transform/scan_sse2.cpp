// Field difference, zigzag scans and AC measures in SSE2: a scanned block stays in eight
// registers between the gather and the measures.
#include <emmintrin.h>

#include <cstddef>
#include <utility>

#include "transform/scan.h"
#include "transform/scan_order.h"

namespace encdv {

namespace {

// Row r (words 8r to 8r + 7) of a scan, gathered word by word into one register (one insert
// from memory per word, then one aligned store per row, which the measures and the nonzero
// list read back whole).
template <const uint8_t* Order, std::size_t Row, std::size_t... L>
inline __m128i GatherScanRow(__m128i row, const CoefficientWord* transformed,
                             std::index_sequence<L...>) {
    ((row = _mm_insert_epi16(row, transformed[Order[8 * Row + L]], L)), ...);
    return row;
}

// The scan of words 1-63 in the given order into eight registers; word 0 is 0.
template <const uint8_t* Order>
inline void GatherScan(__m128i rows[8], const CoefficientWord* transformed) {
    const __m128i first = _mm_setzero_si128();
    rows[0] =
        GatherScanRow<Order, 0>(first, transformed, std::index_sequence<1, 2, 3, 4, 5, 6, 7>());
    const std::make_index_sequence<8> lanes;
    rows[1] = GatherScanRow<Order, 1>(first, transformed, lanes);
    rows[2] = GatherScanRow<Order, 2>(first, transformed, lanes);
    rows[3] = GatherScanRow<Order, 3>(first, transformed, lanes);
    rows[4] = GatherScanRow<Order, 4>(first, transformed, lanes);
    rows[5] = GatherScanRow<Order, 5>(first, transformed, lanes);
    rows[6] = GatherScanRow<Order, 6>(first, transformed, lanes);
    rows[7] = GatherScanRow<Order, 7>(first, transformed, lanes);
}

// Horizontal reduction of eight 16-bit lanes with a lane-wise operation; the result is in
// lane 0.
template <typename Op>
inline __m128i ReduceLanes(__m128i x, Op op) {
    x = op(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(1, 0, 3, 2)));
    x = op(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1)));
    return op(x, _mm_shufflelo_epi16(x, _MM_SHUFFLE(2, 3, 0, 1)));
}

// The AC measures of a coefficient block held in eight registers.
inline uint32_t MeasureRows(const __m128i rows[8]) {
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

template <const uint8_t* Order>
uint32_t ScanAndMeasure(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    __m128i rows[8];
    GatherScan<Order>(rows, transformed);
    __m128i* out = reinterpret_cast<__m128i*>(coefficients);
    for (int i = 0; i < 8; ++i) _mm_store_si128(out + i, rows[i]);
    return MeasureRows(rows);
}

}  // namespace

int FieldDifference_SSE2(const uint8_t* samples) {
    const __m128i* rows = reinterpret_cast<const __m128i*>(samples);
    // Each load holds one line pair (2z in the low, 2z + 1 in the high 8 bytes); regroup the
    // even and the odd lines of two pairs so one sum of absolute differences measures both.
    const __m128i pairs01 = _mm_load_si128(rows), pairs23 = _mm_load_si128(rows + 1);
    const __m128i pairs45 = _mm_load_si128(rows + 2), pairs67 = _mm_load_si128(rows + 3);
    const __m128i upper =
        _mm_sad_epu8(_mm_unpacklo_epi64(pairs01, pairs23), _mm_unpackhi_epi64(pairs01, pairs23));
    const __m128i lower =
        _mm_sad_epu8(_mm_unpacklo_epi64(pairs45, pairs67), _mm_unpackhi_epi64(pairs45, pairs67));
    const __m128i sums = _mm_add_epi32(upper, lower);
    return _mm_cvtsi128_si32(_mm_add_epi32(sums, _mm_srli_si128(sums, 8)));
}

uint32_t ScanAndMeasure88_SSE2(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    return ScanAndMeasure<kScanOrder88>(coefficients, transformed);
}

uint32_t ScanAndMeasure248_SSE2(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    return ScanAndMeasure<kScanOrder248>(coefficients, transformed);
}

uint32_t MeasureAc_SSE2(const CoefficientWord* coefficients) {
    const __m128i* words = reinterpret_cast<const __m128i*>(coefficients);
    __m128i rows[8];
    for (int i = 0; i < 8; ++i) rows[i] = _mm_load_si128(words + i);
    return MeasureRows(rows);
}

}  // namespace encdv
