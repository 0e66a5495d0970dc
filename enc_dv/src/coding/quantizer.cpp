#include "coding/quantizer.h"

#include <emmintrin.h>

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

// 4 words: one 64-bit shift.
template <int K>
inline void Shift4(CoefficientWord* words) {
    if constexpr (K != 0) {
        __m128i* p = reinterpret_cast<__m128i*>(words);
        _mm_storel_epi64(p, _mm_srai_epi16(_mm_loadl_epi64(p), K));
    }
}

// 1 word: arithmetic shift of the 16-bit word, as the vector shifts do.
template <int K>
inline void Shift1(CoefficientWord* word) {
    if constexpr (K != 0) *word = static_cast<CoefficientWord>(static_cast<int16_t>(*word) >> K);
}

// Area boundaries fall inside rows 0 (5/6), 2 (20/21) and 5 (42/43) of the eight 8-word
// rows; the other rows lie wholly in one area. A boundary row whose two areas have the same
// count is shifted as a whole.
template <int A0, int A1, int A2, int A3>
void QuantizeWithPattern(CoefficientWord* b) {
    if constexpr (A0 == A1) {
        Shift8<A0>(b);
    } else {
        Shift4<A0>(b);
        Shift1<A0>(b + 4);
        Shift1<A0>(b + 5);
        Shift1<A1>(b + 6);
        Shift1<A1>(b + 7);
    }
    Shift8<A1>(b + 8);
    if constexpr (A1 == A2) {
        Shift8<A1>(b + 16);
    } else {
        Shift4<A1>(b + 16);
        Shift1<A1>(b + 20);
        Shift1<A2>(b + 21);
        Shift1<A2>(b + 22);
        Shift1<A2>(b + 23);
    }
    Shift8<A2>(b + 24);
    Shift8<A2>(b + 32);
    if constexpr (A2 == A3) {
        Shift8<A2>(b + 40);
    } else {
        Shift1<A2>(b + 40);
        Shift1<A2>(b + 41);
        Shift1<A2>(b + 42);
        Shift1<A3>(b + 43);
        Shift4<A3>(b + 44);
    }
    Shift8<A3>(b + 48);
    Shift8<A3>(b + 56);
}

// One more bit of shift over a single area (positions 0-5, 6-20, 21-42, 43-63).
void ShiftArea0(CoefficientWord* b) {
    Shift4<1>(b);
    Shift1<1>(b + 4);
    Shift1<1>(b + 5);
}

void ShiftArea1(CoefficientWord* b) {
    Shift1<1>(b + 6);
    Shift1<1>(b + 7);
    Shift8<1>(b + 8);
    Shift4<1>(b + 16);
    Shift1<1>(b + 20);
}

void ShiftArea2(CoefficientWord* b) {
    Shift1<1>(b + 21);
    Shift1<1>(b + 22);
    Shift1<1>(b + 23);
    Shift8<1>(b + 24);
    Shift8<1>(b + 32);
    Shift1<1>(b + 40);
    Shift1<1>(b + 41);
    Shift1<1>(b + 42);
}

void ShiftArea3(CoefficientWord* b) {
    Shift1<1>(b + 43);
    Shift4<1>(b + 44);
    Shift8<1>(b + 48);
    Shift8<1>(b + 56);
}

}  // namespace

// Entry i carries the counts of QuantPattern row i.
const QuantizeBlockFunction ApplyQuantPattern[kQuantPatternCount] = {
    QuantizeWithPattern<0, 0, 0, 0>, QuantizeWithPattern<0, 0, 0, 1>,
    QuantizeWithPattern<0, 0, 1, 1>, QuantizeWithPattern<0, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 1, 1>, QuantizeWithPattern<1, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 2, 2>, QuantizeWithPattern<1, 2, 2, 3>,
    QuantizeWithPattern<2, 2, 3, 3>, QuantizeWithPattern<2, 3, 3, 4>,
    QuantizeWithPattern<3, 3, 4, 4>, QuantizeWithPattern<3, 4, 4, 5>,
    QuantizeWithPattern<4, 4, 5, 5>,
};

void StepDownArea(CoefficientWord* block, int classNumber, int oldQno, int newQno) {
    if (AreaShift[0][classNumber][newQno] != AreaShift[0][classNumber][oldQno]) ShiftArea0(block);
    if (AreaShift[1][classNumber][newQno] != AreaShift[1][classNumber][oldQno]) ShiftArea1(block);
    if (AreaShift[2][classNumber][newQno] != AreaShift[2][classNumber][oldQno]) ShiftArea2(block);
    if (AreaShift[3][classNumber][newQno] != AreaShift[3][classNumber][oldQno]) ShiftArea3(block);
}

}  // namespace encdv
