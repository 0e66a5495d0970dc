#ifndef ENC_DV_INPUT_PACKED_422_SSE2_H
#define ENC_DV_INPUT_PACKED_422_SSE2_H

#include <emmintrin.h>

#include <cstdint>

namespace encdv {

// Splits 16 pixels (32 bytes) of a packed 4:2:2 line, YUY2 order Y0 Cb Y1 Cr when
// kLumaFirst and UYVY order Cb Y0 Cr Y1 otherwise, into 16 luma bytes (returned) and eight
// Cb and eight Cr samples as 16-bit lanes.
template <bool kLumaFirst>
inline __m128i SplitPacked422(const uint8_t* source, __m128i* cbWords, __m128i* crWords) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
    const __m128i lumaA = kLumaFirst ? _mm_and_si128(a, lowBytes) : _mm_srli_epi16(a, 8);
    const __m128i lumaB = kLumaFirst ? _mm_and_si128(b, lowBytes) : _mm_srli_epi16(b, 8);
    const __m128i chromaA = kLumaFirst ? _mm_srli_epi16(a, 8) : _mm_and_si128(a, lowBytes);
    const __m128i chromaB = kLumaFirst ? _mm_srli_epi16(b, 8) : _mm_and_si128(b, lowBytes);
    const __m128i chroma = _mm_packus_epi16(chromaA, chromaB);  // Cb Cr Cb Cr ...
    *cbWords = _mm_and_si128(chroma, lowBytes);
    *crWords = _mm_srli_epi16(chroma, 8);
    return _mm_packus_epi16(lumaA, lumaB);
}

}  // namespace encdv

#endif
