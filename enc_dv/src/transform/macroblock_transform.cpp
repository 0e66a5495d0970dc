#include "transform/macroblock_transform.h"

#include <emmintrin.h>

#include <cstddef>
#include <cstring>
#include <utility>

#include "transform/forward_dct.h"
#include "transform/scan_order.h"
#include "transform/transform_tables.h"

namespace encdv {

namespace {

// Field-difference sum at or above which a block is coded with the 2-4-8 DCT.
constexpr int kMotionThreshold = 1200;

template <const uint8_t* Order, std::size_t... K>
inline void CopyInScanOrder(CoefficientWord* coefficients, const CoefficientWord* transformed,
                            std::index_sequence<K...>) {
    ((coefficients[K + 1] = transformed[Order[K + 1]]), ...);
}

// The 2-4-8 scan visits the sum and the difference coefficient of each (u, h) one after the
// other, and the transform stores them side by side: positions 2m and 2m + 1 (m >= 1) are
// copied as one 32-bit pair.
constexpr bool ScanPairsAreNeighbours248() {
    for (int m = 1; m < 32; ++m) {
        if (kScanOrder248[2 * m + 1] != kScanOrder248[2 * m] + 1 || kScanOrder248[2 * m] % 2 != 0)
            return false;
    }
    return true;
}
static_assert(ScanPairsAreNeighbours248(), "2-4-8 scan pairs are aligned neighbours in T");

template <std::size_t... M>
inline void CopyPairsInScanOrder248(CoefficientWord* coefficients,
                                    const CoefficientWord* transformed, std::index_sequence<M...>) {
    ((std::memcpy(coefficients + 2 * (M + 1), transformed + kScanOrder248[2 * (M + 1)],
                  2 * sizeof(CoefficientWord))),
     ...);
}

using ForwardDct = void (*)(CoefficientWord*, const uint8_t*, const OutputScaleTable&);
using Scan = void (*)(CoefficientWord*, const CoefficientWord*);

// Transform and scan of each DCT mode, indexed by dctMode.
const ForwardDct kForwardDct[2] = {ForwardDct88, ForwardDct248};
const Scan kScan[2] = {ScanCoefficients88, ScanCoefficients248};

// Horizontal reduction of eight 16-bit lanes with a lane-wise operation; the result is in
// lane 0.
template <typename Op>
inline __m128i ReduceLanes(__m128i x, Op op) {
    x = op(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(1, 0, 3, 2)));
    x = op(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1)));
    return op(x, _mm_shufflelo_epi16(x, _MM_SHUFFLE(2, 3, 0, 1)));
}

}  // namespace

int ChooseDctMode(const uint8_t* samples) {
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
    const int motion = _mm_cvtsi128_si32(_mm_add_epi32(sums, _mm_srli_si128(sums, 8)));
    return motion >= kMotionThreshold ? 1 : 0;
}

void ScanCoefficients88(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    CopyInScanOrder<kScanOrder88>(coefficients, transformed, std::make_index_sequence<63>());
}

void ScanCoefficients248(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    coefficients[1] = transformed[kScanOrder248[1]];
    CopyPairsInScanOrder248(coefficients, transformed, std::make_index_sequence<31>());
}

uint32_t MeasureAc(const CoefficientWord* coefficients) {
    const __m128i* rows = reinterpret_cast<const __m128i*>(coefficients);
    const __m128i magnitudeMask = _mm_set1_epi16(0x07FF);
    // Word 0 (the DC slot) does not count.
    __m128i row = _mm_and_si128(_mm_load_si128(rows), _mm_set_epi16(0x07FF, 0x07FF, 0x07FF, 0x07FF,
                                                                    0x07FF, 0x07FF, 0x07FF, 0));
    __m128i largest = row;
    __m128i sum = row;
    for (int i = 1; i < 8; ++i) {
        row = _mm_and_si128(_mm_load_si128(rows + i), magnitudeMask);
        largest = _mm_max_epi16(largest, row);
        sum = _mm_add_epi16(sum, row);
    }
    largest = ReduceLanes(largest, [](__m128i a, __m128i b) { return _mm_max_epi16(a, b); });
    sum = ReduceLanes(sum, [](__m128i a, __m128i b) { return _mm_add_epi16(a, b); });
    const uint32_t maxAc = static_cast<uint16_t>(_mm_cvtsi128_si32(largest));
    const uint32_t sumAc = static_cast<uint16_t>(_mm_cvtsi128_si32(sum));
    return (sumAc << 16) | maxAc;
}

void TransformMacroblock(MacroblockWork& work, const MacroblockPixels& pixels) {
    alignas(64) CoefficientWord transformed[64];
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        const uint8_t* samples = pixels.blocks[b];
        BlockWork& block = work.blocks[b];
        const int mode = ChooseDctMode(samples);
        block.dctMode = mode;
        kForwardDct[mode](transformed, samples, GetOutputScaleTable(mode));
        kScan[mode](block.coefficients, transformed);
        // T[0] = floor((S + 1) / 4) <= 4080; the 9-bit DC field takes it in units of 8,
        // offset by 256, with a rounding offset of 3.
        block.dc = ((static_cast<int16_t>(transformed[0]) + 3) >> 3) - 256;
        block.coefficients[0] = 0;
        const uint32_t activity = MeasureAc(block.coefficients);
        block.sumAc = static_cast<int32_t>(activity >> 16);
        block.maxAc = static_cast<int32_t>(activity & 0xFFFF);
    }
}

}  // namespace encdv
