// The row kernels in AVX2: 16 pixels per step in one register of 16-bit lanes, the colour
// arithmetic of the SSE2 kernels on both 128-bit halves at once (every instruction works
// within halves, so the pixels are loaded with 0-3 and 8-11 in one register, 4-7 and 12-15
// in the other, which packing puts back in order).
#include <immintrin.h>

#include "input/row_kernels.h"
#include "input/row_kernels_tmpl.h"

namespace encdv {

namespace {

inline __m128i Load16(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline __m256i Combine(__m128i low, __m128i high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// The 64-bit quarters 0 and 2 (the low quarter of each half) as one 128-bit register.
inline __m128i LowQuarters(__m256i x) {
    return _mm256_castsi256_si128(_mm256_permute4x64_epi64(x, _MM_SHUFFLE(3, 1, 2, 0)));
}

// Row `row` of the context's colour constants in both halves.
inline __m256i ConstantVector(const KernelContext* context, int row) {
    return _mm256_broadcastsi128_si256(
        Load16(reinterpret_cast<const uint8_t*>(context->conversionConstants[row])));
}

// 16 pixels of 3 or 4 bytes, each in a 32-bit lane with its first byte lowest: pixels 0-3 and
// 8-11 in `first`, 4-7 and 12-15 in `second`.
struct Pixels {
    __m256i first, second;
};

// Four 3-byte pixels from byte `at` of each half to one pixel per 32-bit lane, the top byte 0.
constexpr char SpreadIndex(int at, int byte) {
    return static_cast<char>(byte % 4 == 3 ? -128 : at + 3 * (byte / 4) + byte % 4);
}
inline __m256i SpreadControl(int lowAt, int highAt) {
    return _mm256_setr_epi8(
        SpreadIndex(lowAt, 0), SpreadIndex(lowAt, 1), SpreadIndex(lowAt, 2), SpreadIndex(lowAt, 3),
        SpreadIndex(lowAt, 4), SpreadIndex(lowAt, 5), SpreadIndex(lowAt, 6), SpreadIndex(lowAt, 7),
        SpreadIndex(lowAt, 8), SpreadIndex(lowAt, 9), SpreadIndex(lowAt, 10),
        SpreadIndex(lowAt, 11), SpreadIndex(lowAt, 12), SpreadIndex(lowAt, 13),
        SpreadIndex(lowAt, 14), SpreadIndex(lowAt, 15), SpreadIndex(highAt, 0),
        SpreadIndex(highAt, 1), SpreadIndex(highAt, 2), SpreadIndex(highAt, 3),
        SpreadIndex(highAt, 4), SpreadIndex(highAt, 5), SpreadIndex(highAt, 6),
        SpreadIndex(highAt, 7), SpreadIndex(highAt, 8), SpreadIndex(highAt, 9),
        SpreadIndex(highAt, 10), SpreadIndex(highAt, 11), SpreadIndex(highAt, 12),
        SpreadIndex(highAt, 13), SpreadIndex(highAt, 14), SpreadIndex(highAt, 15));
}

// The primitives of the row kernels (row_kernels_tmpl.h).
struct Rows {
    using Vector = __m256i;
    static constexpr int kParts = 1;

    // 4:2:2 layouts: 16 pixels (32 bytes) reordered by one shuffle to luma, Cb and Cr of each
    // half, then the halves' parts put together.
    template <bool kLumaFirst>  // YUY2: Y0 Cb Y1 Cr; UYVY: Cb Y0 Cr Y1
    static void Reorder16(const uint8_t* source, uint8_t* luma, uint8_t* cb, uint8_t* cr) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
        const __m256i order =
            kLumaFirst ? _mm256_setr_epi8(0, 2, 4, 6, 8, 10, 12, 14, 1, 5, 9, 13, 3, 7, 11, 15, 0,
                                          2, 4, 6, 8, 10, 12, 14, 1, 5, 9, 13, 3, 7, 11, 15)
                       : _mm256_setr_epi8(1, 3, 5, 7, 9, 11, 13, 15, 0, 4, 8, 12, 2, 6, 10, 14, 1,
                                          3, 5, 7, 9, 11, 13, 15, 0, 4, 8, 12, 2, 6, 10, 14);
        // Each half: 8 luma, 4 Cb, 4 Cr; then luma 0-15, Cb 0-7, Cr 0-7.
        const __m256i parts = _mm256_permutevar8x32_epi32(
            _mm256_shuffle_epi8(x, order), _mm256_setr_epi32(0, 1, 4, 5, 2, 6, 3, 7));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma), _mm256_castsi256_si128(parts));
        const __m128i chroma = _mm256_extracti128_si256(parts, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cb), chroma);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cr), _mm_unpackhi_epi64(chroma, chroma));
    }

    // Exactly 48 or 64 source bytes are read.
    template <int kBytesPerPixel>
    static Pixels LoadPixels16(const uint8_t* source) {
        if constexpr (kBytesPerPixel == 4) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 32));
            return {_mm256_permute2x128_si256(a, b, 0x20), _mm256_permute2x128_si256(a, b, 0x31)};
        } else {
            // Pixels 0-3, 8-11 from bytes 0 and 24; 4-7 from byte 12, and 12-15 from byte 36,
            // taken at byte 4 of a load at 32 so as not to read past byte 47.
            return {_mm256_shuffle_epi8(Combine(Load16(source), Load16(source + 24)),
                                        SpreadControl(0, 0)),
                    _mm256_shuffle_epi8(Combine(Load16(source + 12), Load16(source + 32)),
                                        SpreadControl(0, 4))};
        }
    }

    template <int kByte>
    static __m256i Channel(const Pixels& pixels, int) {
        const __m256i byteMask = _mm256_set1_epi32(0xFF);
        return _mm256_packs_epi32(
            _mm256_and_si256(_mm256_srli_epi32(pixels.first, 8 * kByte), byteMask),
            _mm256_and_si256(_mm256_srli_epi32(pixels.second, 8 * kByte), byteMask));
    }

    static __m256i ConstantRow(const KernelContext* context, int row) {
        return ConstantVector(context, row);
    }
    static __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi16(a, b); }
    static __m256i Sub(__m256i a, __m256i b) { return _mm256_sub_epi16(a, b); }

    static __m256i ScaleByAlpha(__m256i value, __m256i alphaPlusOne, __m256i round) {
        return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(value, alphaPlusOne), round),
                                 8);
    }

    // The colour matrix of the SSE2 kernels, on 16 pixels.
    template <bool kStudio>
    static void ConvertPart(const KernelContext* context, __m256i r, __m256i g, __m256i b,
                            __m256i* luma, __m256i* cb, __m256i* cr) {
        const __m256i weightsRB = ConstantRow(context, kRowLumaWeightsRB);
        const __m256i ones = ConstantRow(context, kRowOne);
        const __m256i weightGRound = ConstantRow(context, kRowLumaWeightGRound);
        const __m256i sumLow =
            _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(r, b), weightsRB),
                             _mm256_madd_epi16(_mm256_unpacklo_epi16(g, ones), weightGRound));
        const __m256i sumHigh =
            _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(r, b), weightsRB),
                             _mm256_madd_epi16(_mm256_unpackhi_epi16(g, ones), weightGRound));
        const __m256i lumaRaw =
            _mm256_packs_epi32(_mm256_srai_epi32(sumLow, 15), _mm256_srai_epi32(sumHigh, 15));
        const __m256i cbScale = ConstantRow(context, kRowCbScale);
        const __m256i crScale = ConstantRow(context, kRowCrScale);
        const __m256i chromaOffset = ConstantRow(context, kRowChromaOffset);
        if (kStudio) {
            *luma = lumaRaw;
            *cb = _mm256_add_epi16(
                _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(b, lumaRaw), 2), cbScale),
                chromaOffset);
            *cr = _mm256_add_epi16(
                _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(r, lumaRaw), 2), crScale),
                chromaOffset);
        } else {
            const __m256i luma7 = _mm256_slli_epi16(lumaRaw, 7);
            const __m256i fullLuma = _mm256_add_epi16(
                luma7, _mm256_mulhi_epi16(luma7, ConstantRow(context, kRowLumaExpand)));
            *luma = _mm256_add_epi16(lumaRaw, ConstantRow(context, kRowLumaOffset));
            *cb = _mm256_add_epi16(
                _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_slli_epi16(b, 7), fullLuma), cbScale),
                chromaOffset);
            *cr = _mm256_add_epi16(
                _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_slli_epi16(r, 7), fullLuma), crScale),
                chromaOffset);
        }
    }

    template <int kShift>
    static __m256i ShiftRight(__m256i x) {
        return _mm256_srai_epi16(x, kShift);
    }

    static void StoreBytes16(uint8_t* p, const __m256i* parts) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                         LowQuarters(_mm256_packus_epi16(parts[0], parts[0])));
    }

    // Chroma of pixel pairs: the two wide values summed in 32 bits, then shifted down.
    template <int kShift>
    static void StorePairSums8(const KernelContext* context, uint8_t* p, const __m256i* parts) {
        const __m256i sums =
            _mm256_srai_epi32(_mm256_madd_epi16(parts[0], ConstantRow(context, kRowOne)), kShift);
        const __m128i words = LowQuarters(_mm256_packs_epi32(sums, sums));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(words, words));
    }

    // Rounded average (a + b + 1) >> 1 of the samples of each pixel pair, as bytes.
    static void StorePairAverages8(uint8_t* p, const __m256i* parts) {
        const __m256i averages = _mm256_avg_epu16(
            _mm256_and_si256(parts[0], _mm256_set1_epi32(0xFFFF)), _mm256_srli_epi32(parts[0], 16));
        const __m128i words = LowQuarters(_mm256_packs_epi32(averages, averages));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(words, words));
    }
};

}  // namespace

void SetRowKernels_AVX2(RowKernelTable& kernels) {
    SetRowKernels<Rows>(kernels);
}

}  // namespace encdv
