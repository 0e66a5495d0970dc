#ifndef ENC_DV_TRANSFORM_ROUND_MUL_SSE2_H
#define ENC_DV_TRANSFORM_ROUND_MUL_SSE2_H

#include <emmintrin.h>

namespace encdv {

// The flowgraph multiply on eight signed 16-bit lanes: (floor(x * 2^S * c / 65536) + 1) >> 1.
//
// x * 2^S needs up to 17 bits, so it is never formed. With x * c = hi * 65536 + lo (lo the
// unsigned low half), floor(x * 2^S * c / 65536) = hi * 2^S + (lo >> (16 - S)). hi * 2^S is
// even, so adding 1 and halving leaves hi * 2^(S - 1) + ((lo >> (16 - S)) + 1) >> 1, and every
// step stays within 16 bits whenever the result does. The rounded halving of the fraction is
// one unsigned average with zero; for S = 1 the fraction is 0 or 1 and halves to itself.
template <int S>
inline __m128i RoundMul(__m128i x, __m128i c) {
    static_assert(S >= 1 && S <= 15, "shift out of range");
    const __m128i hi = _mm_mulhi_epi16(x, c);
    const __m128i fraction = _mm_srli_epi16(_mm_mullo_epi16(x, c), 16 - S);
    if (S == 1) return _mm_add_epi16(hi, fraction);
    const __m128i rounded = _mm_avg_epu16(fraction, _mm_setzero_si128());
    return _mm_add_epi16(_mm_slli_epi16(hi, S - 1), rounded);
}

}  // namespace encdv

#endif
