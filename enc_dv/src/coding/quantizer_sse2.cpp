// The quantizer's kernels in SSE2: straight-line shifts of whole 8-word rows.
#include <emmintrin.h>

#include "coding/nonzero_list.h"
#include "coding/quantizer.h"

namespace encdv {
namespace {

// Straight-line shift helpers with the count built in; a count of 0 emits nothing.
// 8 words: one aligned 128-bit shift.
template <int K>
inline void Shift8(CoefficientWord* words) {
    if constexpr (K != 0) {
        __m128i* p = reinterpret_cast<__m128i*>(words);
        _mm_store_si128(p, _mm_srai_epi16(_mm_load_si128(p), K));
    }
}

// 8 words of which lanes 0 to kSplit - 1 shift by L and the others by H: both shifts of the
// whole row, merged by a constant lane mask. Rows that straddle an area boundary are done
// this way, with one aligned store, so that the next aligned load of the row (the nonzero
// list) is served from the store without waiting for narrower stores to retire.
template <int L, int H, int kSplit>
inline void ShiftSplit8(CoefficientWord* words) {
    static_assert(kSplit > 0 && kSplit < 8, "the split falls inside the row");
    if constexpr (L == H) {
        Shift8<L>(words);
    } else {
        __m128i* p = reinterpret_cast<__m128i*>(words);
        const __m128i x = _mm_load_si128(p);
        const __m128i low = L != 0 ? _mm_srai_epi16(x, L) : x;
        const __m128i high = H != 0 ? _mm_srai_epi16(x, H) : x;
        const __m128i lowLanes = _mm_set_epi16(
            kSplit > 7 ? -1 : 0, kSplit > 6 ? -1 : 0, kSplit > 5 ? -1 : 0, kSplit > 4 ? -1 : 0,
            kSplit > 3 ? -1 : 0, kSplit > 2 ? -1 : 0, kSplit > 1 ? -1 : 0, -1);
        _mm_store_si128(
            p, _mm_or_si128(_mm_and_si128(lowLanes, low), _mm_andnot_si128(lowLanes, high)));
    }
}

// Area boundaries fall inside rows 0 (5/6), 2 (20/21) and 5 (42/43) of the eight 8-word
// rows; the other rows lie wholly in one area.
template <int A0, int A1, int A2, int A3>
void QuantizeWithPattern(CoefficientWord* b) {
    ShiftSplit8<A0, A1, 6>(b);
    Shift8<A1>(b + 8);
    ShiftSplit8<A1, A2, 5>(b + 16);
    Shift8<A2>(b + 24);
    Shift8<A2>(b + 32);
    ShiftSplit8<A2, A3, 3>(b + 40);
    Shift8<A3>(b + 48);
    Shift8<A3>(b + 56);
}

// One more bit of shift over a single area (positions 0-5, 6-20, 21-42, 43-63).
void ShiftArea0(CoefficientWord* b) {
    ShiftSplit8<1, 0, 6>(b);
}

void ShiftArea1(CoefficientWord* b) {
    ShiftSplit8<0, 1, 6>(b);
    Shift8<1>(b + 8);
    ShiftSplit8<1, 0, 5>(b + 16);
}

void ShiftArea2(CoefficientWord* b) {
    ShiftSplit8<0, 1, 5>(b + 16);
    Shift8<1>(b + 24);
    Shift8<1>(b + 32);
    ShiftSplit8<1, 0, 3>(b + 40);
}

void ShiftArea3(CoefficientWord* b) {
    ShiftSplit8<0, 1, 3>(b + 40);
    Shift8<1>(b + 48);
    Shift8<1>(b + 56);
}

// Entry i carries the counts of QuantPattern row i.
const QuantizeBlockFunction kQuantizeWithPattern[kQuantPatternCount] = {
    QuantizeWithPattern<0, 0, 0, 0>, QuantizeWithPattern<0, 0, 0, 1>,
    QuantizeWithPattern<0, 0, 1, 1>, QuantizeWithPattern<0, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 1, 1>, QuantizeWithPattern<1, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 2, 2>, QuantizeWithPattern<1, 2, 2, 3>,
    QuantizeWithPattern<2, 2, 3, 3>, QuantizeWithPattern<2, 3, 3, 4>,
    QuantizeWithPattern<3, 3, 4, 4>, QuantizeWithPattern<3, 4, 4, 5>,
    QuantizeWithPattern<4, 4, 5, 5>,
};

void BuildNonzeroList(const CoefficientWord* block, uint8_t* list) {
    const __m128i amplitudeMask = _mm_set1_epi16(0xFF);
    const __m128i zero = _mm_setzero_si128();
    const __m128i* rows = reinterpret_cast<const __m128i*>(block);
    // One bit per word whose amplitude is nonzero, 16 words per step.
    uint64_t nonzero = 0;
    for (int group = 0; group < 4; ++group) {
        const __m128i low = _mm_and_si128(_mm_load_si128(rows + 2 * group), amplitudeMask);
        const __m128i high = _mm_and_si128(_mm_load_si128(rows + 2 * group + 1), amplitudeMask);
        const __m128i isZero =
            _mm_packs_epi16(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(high, zero));
        const uint32_t bits = ~static_cast<uint32_t>(_mm_movemask_epi8(isZero)) & 0xFFFF;
        nonzero |= static_cast<uint64_t>(bits) << (16 * group);
    }
    WriteNonzeroList(nonzero, list);
}

}  // namespace

void SetQuantizerKernels_SSE2(QuantizerKernels& kernels) {
    for (int pattern = 0; pattern < kQuantPatternCount; ++pattern) {
        kernels.quantize[pattern] = kQuantizeWithPattern[pattern];
    }
    kernels.shiftArea[0] = ShiftArea0;
    kernels.shiftArea[1] = ShiftArea1;
    kernels.shiftArea[2] = ShiftArea2;
    kernels.shiftArea[3] = ShiftArea3;
    kernels.buildNonzeroList = BuildNonzeroList;
}

}  // namespace encdv
