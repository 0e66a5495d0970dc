// The 4:1:1 chroma filters in SSE2: eight outputs in 16-bit lanes per call.
#include <emmintrin.h>

#include "input/chroma_filter_sse2.h"
#include "input/chroma_filters.h"

namespace encdv {

namespace {

inline __m128i Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Byte kShift / 8 of each 32-bit lane of two registers, as eight 16-bit lanes.
template <int kShift>
inline __m128i LaneByte(__m128i first4, __m128i last4) {
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(first4, kShift), byteMask),
                           _mm_and_si128(_mm_srli_epi32(last4, kShift), byteMask));
}

void ChromaFilter4to1(const uint8_t* samples, uint8_t* output) {
    // Seen from samples[c - 2], each 32-bit lane holds s[c-2], s[c-1], s[c], s[c+1] of one
    // centre c; seen from samples[c + 2], its low byte is s[c+2].
    const __m128i fromLeft0 = Load(samples - 2);
    const __m128i fromLeft1 = Load(samples + 14);
    const __m128i fromRight0 = Load(samples + 2);
    const __m128i fromRight1 = Load(samples + 18);
    const __m128i far = _mm_add_epi16(LaneByte<0>(fromLeft0, fromLeft1),
                                      LaneByte<0>(fromRight0, fromRight1));  // s[c-2] + s[c+2]
    const __m128i before = LaneByte<8>(fromLeft0, fromLeft1);
    const __m128i centre = LaneByte<16>(fromLeft0, fromLeft1);
    const __m128i after = LaneByte<24>(fromLeft0, fromLeft1);
    const __m128i centre2 = _mm_add_epi16(centre, centre);
    // 16 (s[c-1] + 2 s[c] + s[c+1]) + 7 (s[c-2] + s[c+2] - 2 s[c]) + 30: the taps 7, 16, 18,
    // 16, 7 regrouped so that every term stays inside a signed 16-bit lane.
    const __m128i inner = _mm_slli_epi16(_mm_add_epi16(_mm_add_epi16(before, after), centre2), 4);
    const __m128i outer = _mm_mullo_epi16(_mm_sub_epi16(far, centre2), _mm_set1_epi16(7));
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(inner, outer), _mm_set1_epi16(30));
    const __m128i words = _mm_srai_epi16(sum, 6);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(output), _mm_packus_epi16(words, words));
}

void ChromaFilter2to1(const uint8_t* samples, uint8_t* output) {
    const __m128i fromLeft = Load(samples - 1);
    const __m128i fromRight = Load(samples + 1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(output), Filter2to1(fromLeft, fromRight));
}

}  // namespace

void SetChromaFilterKernels_SSE2(ChromaFilterKernels& kernels) {
    kernels = {ChromaFilter4to1, ChromaFilter2to1};
}

}  // namespace encdv
