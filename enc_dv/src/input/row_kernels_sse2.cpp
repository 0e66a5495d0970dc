// The row kernels in SSE2: 16 pixels per step, colour arithmetic in 16-bit lanes.
#include <emmintrin.h>

#include "input/packed_422_sse2.h"
#include "input/row_kernels.h"
#include "input/row_kernels_tmpl.h"

namespace encdv {

namespace {

// Every load and store below is unaligned: sources are the host's bytes, and destinations may
// sit at any 8-byte step of a line buffer or scratch.
inline __m128i Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store16(uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline void Store8(uint8_t* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// Row `row` of the context's colour constants.
inline __m128i ConstantVector(const KernelContext* context, int row) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(context->conversionConstants[row]));
}

// 24- and 32-bit layouts: 16 pixels are loaded as four registers of four pixels, each pixel
// in a 32-bit lane with its first byte lowest. Exactly 48 or 64 source bytes are read.
struct Quads {
    __m128i quad[4];
};

inline __m128i SpreadPacked24(__m128i packed) {
    // Four 3-byte pixels in bytes 0-11 -> one pixel per 32-bit lane (top byte is don't-care).
    const __m128i pair01 = _mm_unpacklo_epi32(packed, _mm_srli_si128(packed, 3));
    const __m128i pair23 = _mm_unpacklo_epi32(_mm_srli_si128(packed, 6), _mm_srli_si128(packed, 9));
    return _mm_unpacklo_epi64(pair01, pair23);
}

// Byte kShift / 8 of eight pixels (two registers of four) as eight 16-bit lanes.
template <int kShift>
inline __m128i ByteLanes(__m128i first4, __m128i last4) {
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(first4, kShift), byteMask),
                           _mm_and_si128(_mm_srli_epi32(last4, kShift), byteMask));
}

// Chroma of pixel pairs: the two wide values summed in 32 bits, then shifted down.
template <int kShift>
inline __m128i PairSumBytes(const KernelContext* context, __m128i first8, __m128i last8) {
    const __m128i ones = ConstantVector(context, kRowOne);
    const __m128i words = _mm_packs_epi32(_mm_srai_epi32(_mm_madd_epi16(first8, ones), kShift),
                                          _mm_srai_epi32(_mm_madd_epi16(last8, ones), kShift));
    return _mm_packus_epi16(words, words);
}

// Rounded average (a + b + 1) >> 1 of the samples of each pixel pair, as bytes.
inline __m128i PairAverageBytes(__m128i first8, __m128i last8) {
    const __m128i lowWords = _mm_set1_epi32(0xFFFF);
    const __m128i averageFirst =
        _mm_avg_epu16(_mm_and_si128(first8, lowWords), _mm_srli_epi32(first8, 16));
    const __m128i averageLast =
        _mm_avg_epu16(_mm_and_si128(last8, lowWords), _mm_srli_epi32(last8, 16));
    const __m128i words = _mm_packs_epi32(averageFirst, averageLast);
    return _mm_packus_epi16(words, words);
}

// The primitives of the row kernels (row_kernels_tmpl.h).
struct Rows {
    using Vector = __m128i;
    static constexpr int kParts = 2;

    // 4:2:2 layouts: pure reordering of 16 pixels (32 bytes).
    template <bool kLumaFirst>  // YUY2: Y0 Cb Y1 Cr; UYVY: Cb Y0 Cr Y1
    static void Reorder16(const uint8_t* source, uint8_t* luma, uint8_t* cb, uint8_t* cr) {
        __m128i cbWords, crWords;
        Store16(luma, SplitPacked422<kLumaFirst>(source, &cbWords, &crWords));
        Store8(cb, _mm_packus_epi16(cbWords, cbWords));
        Store8(cr, _mm_packus_epi16(crWords, crWords));
    }

    template <int kBytesPerPixel>
    static Quads LoadPixels16(const uint8_t* source) {
        Quads pixels;
        if constexpr (kBytesPerPixel == 4) {
            for (int i = 0; i < 4; ++i) pixels.quad[i] = Load(source + 16 * i);
        } else {
            const __m128i x0 = Load(source);
            const __m128i x1 = Load(source + 16);
            const __m128i x2 = Load(source + 32);
            pixels.quad[0] = SpreadPacked24(x0);
            pixels.quad[1] =
                SpreadPacked24(_mm_or_si128(_mm_srli_si128(x0, 12), _mm_slli_si128(x1, 4)));
            pixels.quad[2] =
                SpreadPacked24(_mm_or_si128(_mm_srli_si128(x1, 8), _mm_slli_si128(x2, 8)));
            pixels.quad[3] = SpreadPacked24(_mm_srli_si128(x2, 4));
        }
        return pixels;
    }

    template <int kByte>
    static __m128i Channel(const Quads& pixels, int half) {
        return ByteLanes<8 * kByte>(pixels.quad[2 * half], pixels.quad[2 * half + 1]);
    }

    static __m128i ConstantRow(const KernelContext* context, int row) {
        return ConstantVector(context, row);
    }
    static __m128i Add(__m128i a, __m128i b) { return _mm_add_epi16(a, b); }
    static __m128i Sub(__m128i a, __m128i b) { return _mm_sub_epi16(a, b); }

    static __m128i ScaleByAlpha(__m128i value, __m128i alphaPlusOne, __m128i round) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(value, alphaPlusOne), round), 8);
    }

    // Colour matrix of eight pixels. Returns luma ready for saturation and the chroma values
    // in their fixed point (5 fractional bits full range, 1 studio range), not yet shifted
    // down.
    template <bool kStudio>
    static void ConvertPart(const KernelContext* context, __m128i r, __m128i g, __m128i b,
                            __m128i* luma, __m128i* cb, __m128i* cr) {
        const __m128i weightsRB = ConstantRow(context, kRowLumaWeightsRB);
        const __m128i ones = ConstantRow(context, kRowOne);
        const __m128i weightGRound = ConstantRow(context, kRowLumaWeightGRound);
        // 32-bit luma sums: weighted R and B as one pair, weighted G plus rounding term as the
        // other.
        const __m128i sumLow =
            _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(r, b), weightsRB),
                          _mm_madd_epi16(_mm_unpacklo_epi16(g, ones), weightGRound));
        const __m128i sumHigh =
            _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(r, b), weightsRB),
                          _mm_madd_epi16(_mm_unpackhi_epi16(g, ones), weightGRound));
        const __m128i lumaRaw =
            _mm_packs_epi32(_mm_srai_epi32(sumLow, 15), _mm_srai_epi32(sumHigh, 15));
        const __m128i cbScale = ConstantRow(context, kRowCbScale);
        const __m128i crScale = ConstantRow(context, kRowCrScale);
        const __m128i chromaOffset = ConstantRow(context, kRowChromaOffset);
        if (kStudio) {
            *luma = lumaRaw;
            *cb = _mm_add_epi16(
                _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(b, lumaRaw), 2), cbScale),
                chromaOffset);
            *cr = _mm_add_epi16(
                _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(r, lumaRaw), 2), crScale),
                chromaOffset);
        } else {
            // Luma back to full range, 7 fractional bits, for the colour differences.
            const __m128i luma7 = _mm_slli_epi16(lumaRaw, 7);
            const __m128i fullLuma =
                _mm_add_epi16(luma7, _mm_mulhi_epi16(luma7, ConstantRow(context, kRowLumaExpand)));
            *luma = _mm_add_epi16(lumaRaw, ConstantRow(context, kRowLumaOffset));
            *cb = _mm_add_epi16(
                _mm_mulhi_epi16(_mm_sub_epi16(_mm_slli_epi16(b, 7), fullLuma), cbScale),
                chromaOffset);
            *cr = _mm_add_epi16(
                _mm_mulhi_epi16(_mm_sub_epi16(_mm_slli_epi16(r, 7), fullLuma), crScale),
                chromaOffset);
        }
    }

    template <int kShift>
    static __m128i ShiftRight(__m128i x) {
        return _mm_srai_epi16(x, kShift);
    }

    static void StoreBytes16(uint8_t* p, const __m128i* parts) {
        Store16(p, _mm_packus_epi16(parts[0], parts[1]));
    }

    template <int kShift>
    static void StorePairSums8(const KernelContext* context, uint8_t* p, const __m128i* parts) {
        Store8(p, PairSumBytes<kShift>(context, parts[0], parts[1]));
    }

    static void StorePairAverages8(uint8_t* p, const __m128i* parts) {
        Store8(p, PairAverageBytes(parts[0], parts[1]));
    }
};

}  // namespace

void SetRowKernels_SSE2(RowKernelTable& kernels) {
    SetRowKernels<Rows>(kernels);
}

}  // namespace encdv
