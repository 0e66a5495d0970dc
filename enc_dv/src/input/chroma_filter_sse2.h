#ifndef ENC_DV_INPUT_CHROMA_FILTER_SSE2_H
#define ENC_DV_INPUT_CHROMA_FILTER_SSE2_H

// The 4:1:1 filter from half resolution in SSE2, for the SSE2 files alone: eight outputs
// (s[c-1] + 6 s[c] + s[c+1] + 2) >> 3 as bytes, from the sixteen samples seen from c - 1
// (each 16-bit lane holds s[c-1], s[c]) and from c + 1 (the low byte s[c+1]). In an unnamed
// namespace, so that each file keeps its own copy, built with that file's flags.
#include <emmintrin.h>

namespace encdv {
namespace {

inline __m128i Filter2to1(__m128i fromLeft, __m128i fromRight) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i before = _mm_and_si128(fromLeft, lowBytes);
    const __m128i centre = _mm_srli_epi16(fromLeft, 8);
    const __m128i after = _mm_and_si128(fromRight, lowBytes);
    const __m128i centre6 = _mm_add_epi16(_mm_slli_epi16(centre, 2), _mm_slli_epi16(centre, 1));
    const __m128i sum =
        _mm_add_epi16(_mm_add_epi16(before, after), _mm_add_epi16(centre6, _mm_set1_epi16(2)));
    const __m128i words = _mm_srli_epi16(sum, 3);
    return _mm_packus_epi16(words, words);
}

}  // namespace
}  // namespace encdv

#endif
