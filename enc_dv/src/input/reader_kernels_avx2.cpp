// The direct 4:2:0 reader of the packed 4:2:2 layouts in AVX2: one register per line of 16
// pixels, split by one byte shuffle into its luma and its chroma, and the chroma of the two
// lines of a field averaged as bytes, Cb and Cr together.
#include <immintrin.h>

#include "input/reader_kernels.h"

namespace encdv {

namespace {

// Within each 128-bit half, the bytes at even positions first, then those at odd positions.
inline __m256i EvenThenOdd() {
    return _mm256_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15,  //
                            0, 2, 4, 6, 8, 10, 12, 14, 1, 3, 5, 7, 9, 11, 13, 15);
}

// The 64-bit quarters 0, 2, 1, 3.
inline __m256i InterleaveQuarters(__m256i x) {
    return _mm256_permute4x64_epi64(x, _MM_SHUFFLE(3, 1, 2, 0));
}

// 16 pixels of a packed 4:2:2 line as 16 luma bytes (low half) and their chroma, Cb Cr
// Cb Cr ... (high half).
template <bool kLumaFirst>
inline __m256i SplitLine(const uint8_t* line) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(line));
    const __m256i evenThenOdd = EvenThenOdd();
    // UYVY keeps luma at odd positions: swap the two groups of each half.
    const __m256i order =
        kLumaFirst ? evenThenOdd : _mm256_shuffle_epi32(evenThenOdd, _MM_SHUFFLE(1, 0, 3, 2));
    return InterleaveQuarters(_mm256_shuffle_epi8(x, order));
}

// As ReadPacked420Kernel (reader_kernels.h): each group of four lines gives rows 4 (G & 1) + j
// of two luma blocks, and chroma rows 2G and 2G + 1 the rounded averages (a + b + 1) >> 1 of
// lines 0 and 2, and 1 and 3, of the group.
template <bool kLumaFirst>
void ReadPacked420(const uint8_t* line, std::ptrdiff_t pitch, MacroblockPixels* destination) {
    for (int group = 0; group < 4; ++group) {
        uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
        uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
        __m256i lines[4];
        for (int j = 0; j < 4; ++j, line += pitch) {
            lines[j] = SplitLine<kLumaFirst>(line);
            const int row = 4 * (group & 1) + j;
            const __m128i luma = _mm256_castsi256_si128(lines[j]);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(left + 8 * row), luma);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(right + 8 * row),
                             _mm_unpackhi_epi64(luma, luma));
        }
        // The chroma halves: [lines 0 and 2 | lines 1 and 3], then Cb and Cr apart, Cb rows
        // 2G and 2G + 1 in the low half and Cr's in the high.
        const __m256i averages = _mm256_permute2x128_si256(
            _mm256_avg_epu8(lines[0], lines[2]), _mm256_avg_epu8(lines[1], lines[3]), 0x31);
        const __m256i rows = InterleaveQuarters(_mm256_shuffle_epi8(averages, EvenThenOdd()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination->blocks[kBlockCb] + 16 * group),
                         _mm256_castsi256_si128(rows));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination->blocks[kBlockCr] + 16 * group),
                         _mm256_extracti128_si256(rows, 1));
    }
}

}  // namespace

void SetReaderKernels_AVX2(ReaderKernels& kernels) {
    kernels.readPacked420[0] = ReadPacked420<true>;
    kernels.readPacked420[1] = ReadPacked420<false>;
}

}  // namespace encdv
