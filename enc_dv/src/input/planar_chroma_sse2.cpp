// The planar readers' chroma kernels in SSE2. Every load stays within the samples the
// portable kernels read: eight bytes of a line (movq), or four and one.
#include <emmintrin.h>

#include <cstring>

#include "input/chroma_filter_sse2.h"
#include "input/planar_chroma.h"

namespace encdv {

namespace {

inline __m128i Load8(const uint8_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

inline void Store8(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// Two block rows at once: row 2G + p (low half) and row 2G + p + 1 (high half) from lines
// 4G + p, 4G + p + 2 and 4G + p + 1, 4G + p + 3 of a group of four lines.
inline __m128i AverageGroup(__m128i line0, __m128i line1, __m128i line2, __m128i line3) {
    return _mm_avg_epu8(_mm_unpacklo_epi64(line0, line1), _mm_unpacklo_epi64(line2, line3));
}

void FieldAverage422(const uint8_t* rows, std::ptrdiff_t pitch, uint8_t* block) {
    for (int group = 0; group < 4; ++group) {
        const uint8_t* line = rows + 4 * group * pitch;
        const __m128i average = AverageGroup(Load8(line), Load8(line + pitch),
                                             Load8(line + 2 * pitch), Load8(line + 3 * pitch));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 16 * group), average);
    }
}

// The 4:2:2 samples of one 4:1:1 line: s[k] and the rounded mean of s[k] and s[k + 1],
// interleaved; s[4] is the line's last sample repeated at the right edge.
inline __m128i Double411(const uint8_t* line, bool lastColumn) {
    uint32_t four;
    std::memcpy(&four, line, 4);
    const uint32_t next = lastColumn ? line[3] : line[4];
    const __m128i samples = _mm_cvtsi32_si128(static_cast<int>(four));
    const __m128i shifted = _mm_cvtsi32_si128(static_cast<int>((four >> 8) | (next << 24)));
    return _mm_unpacklo_epi8(samples, _mm_avg_epu8(samples, shifted));
}

void FieldAverage411(const uint8_t* rows, std::ptrdiff_t pitch, bool lastColumn, uint8_t* block) {
    for (int group = 0; group < 4; ++group) {
        const uint8_t* line = rows + 4 * group * pitch;
        const __m128i average = AverageGroup(
            Double411(line, lastColumn), Double411(line + pitch, lastColumn),
            Double411(line + 2 * pitch, lastColumn), Double411(line + 3 * pitch, lastColumn));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 16 * group), average);
    }
}

void BlendRows(const uint8_t* nearer, const uint8_t* farther, int count, uint8_t* output) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i two = _mm_set1_epi16(2);
    for (int i = 0; i < count; i += 8) {
        const __m128i a = _mm_unpacklo_epi8(Load8(nearer + i), zero);
        const __m128i b = _mm_unpacklo_epi8(Load8(farther + i), zero);
        const __m128i sum =
            _mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(a, 1), a), _mm_add_epi16(b, two));
        const __m128i words = _mm_srli_epi16(sum, 2);
        Store8(output + i, _mm_packus_epi16(words, words));
    }
}

// (3 a + b + 2) >> 2 of sixteen byte pairs, as bytes.
inline __m128i Blend16(const uint8_t* nearer, const uint8_t* farther) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i two = _mm_set1_epi16(2);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(nearer));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(farther));
    auto half = [&](__m128i x, __m128i y) {
        const __m128i sum =
            _mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(x, 1), x), _mm_add_epi16(y, two));
        return _mm_srli_epi16(sum, 2);
    };
    return _mm_packus_epi16(half(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
                            half(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)));
}

void BlendFilter2to1(const uint8_t* nearer, const uint8_t* farther, uint8_t* output) {
    const __m128i fromLeft = Blend16(nearer - 1, farther - 1);
    const __m128i fromRight = Blend16(nearer + 1, farther + 1);
    Store8(output, Filter2to1(fromLeft, fromRight));
}

}  // namespace

void SetPlanarChromaKernels_SSE2(PlanarChromaKernels& kernels) {
    kernels = {FieldAverage422, FieldAverage411, BlendRows, BlendFilter2to1};
}

}  // namespace encdv
