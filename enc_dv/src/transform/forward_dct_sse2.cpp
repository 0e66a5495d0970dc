// The forward DCTs in 16-bit SSE2 lanes: one register per line (or column) of the block.
#include <emmintrin.h>

#include "transform/forward_dct_tmpl.h"
#include "transform/round_mul_sse2.h"

namespace encdv {

namespace {

// The constants as registers, loaded once per block.
struct FlowgraphConstants {
    __m128i tan2, cos4, sin2x2, secant2;
};

// The primitives of the forward DCTs (forward_dct_tmpl.h).
struct Dct {
    using Vector = __m128i;

    static FlowgraphConstants LoadConstants() {
        const DctVectorConstants& k = GetDctVectorConstants();
        return {_mm_load_si128(reinterpret_cast<const __m128i*>(k.tan2)),
                _mm_load_si128(reinterpret_cast<const __m128i*>(k.cos4)),
                _mm_load_si128(reinterpret_cast<const __m128i*>(k.sin2x2)),
                _mm_load_si128(reinterpret_cast<const __m128i*>(k.secant2))};
    }

    static __m128i Add(__m128i a, __m128i b) { return _mm_add_epi16(a, b); }
    static __m128i Sub(__m128i a, __m128i b) { return _mm_sub_epi16(a, b); }

    template <int S>
    static __m128i RoundMul(__m128i x, __m128i c) {
        return encdv::RoundMul<S>(x, c);
    }

    // The eight rows of a block, widened to 16 bits: row[i] holds line i, lanes = columns.
    static void LoadRows(const uint8_t* samples, __m128i row[8]) {
        const __m128i zero = _mm_setzero_si128();
        for (int i = 0; i < 4; ++i) {
            const __m128i pair = _mm_load_si128(reinterpret_cast<const __m128i*>(samples) + i);
            row[2 * i] = _mm_unpacklo_epi8(pair, zero);
            row[2 * i + 1] = _mm_unpackhi_epi8(pair, zero);
        }
    }

    // Transposes the 8x8 array of 16-bit values held in x[0..7] by interleaving 16-, 32- and
    // 64-bit lanes.
    static void Transpose(__m128i x[8]) {
        const __m128i a0 = _mm_unpacklo_epi16(x[0], x[1]), a1 = _mm_unpackhi_epi16(x[0], x[1]);
        const __m128i a2 = _mm_unpacklo_epi16(x[2], x[3]), a3 = _mm_unpackhi_epi16(x[2], x[3]);
        const __m128i a4 = _mm_unpacklo_epi16(x[4], x[5]), a5 = _mm_unpackhi_epi16(x[4], x[5]);
        const __m128i a6 = _mm_unpacklo_epi16(x[6], x[7]), a7 = _mm_unpackhi_epi16(x[6], x[7]);

        const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
        const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
        const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
        const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);

        x[0] = _mm_unpacklo_epi64(b0, b4);
        x[1] = _mm_unpackhi_epi64(b0, b4);
        x[2] = _mm_unpacklo_epi64(b1, b5);
        x[3] = _mm_unpackhi_epi64(b1, b5);
        x[4] = _mm_unpacklo_epi64(b2, b6);
        x[5] = _mm_unpackhi_epi64(b2, b6);
        x[6] = _mm_unpacklo_epi64(b3, b7);
        x[7] = _mm_unpackhi_epi64(b3, b7);
    }

    // Output stage: sign-magnitude result of floor((|x| + bias) * multiplier / 65536) for
    // every value; register h goes to T[8h .. 8h + 7]. No value exceeds 16320 in magnitude, so
    // |x| plus the bias stays positive in 16 bits.
    static void ScaleAndStore(CoefficientWord* T, const __m128i x[8],
                              const OutputScaleTable& table) {
        const __m128i* multiplier = reinterpret_cast<const __m128i*>(table.multiplier);
        const __m128i* bias = reinterpret_cast<const __m128i*>(table.bias);
        __m128i* out = reinterpret_cast<__m128i*>(T);
        for (int h = 0; h < 8; ++h) {
            const __m128i sign = _mm_srai_epi16(x[h], 15);
            const __m128i magnitude = _mm_xor_si128(_mm_add_epi16(x[h], sign), sign);
            const __m128i scaled = _mm_mulhi_epi16(
                _mm_add_epi16(magnitude, _mm_load_si128(bias + h)), _mm_load_si128(multiplier + h));
            _mm_store_si128(out + h, _mm_or_si128(scaled, _mm_slli_epi16(sign, 15)));
        }
    }
};

}  // namespace

void SetForwardDctKernels_SSE2(TransformKernels& kernels) {
    SetForwardDctKernels<Dct>(kernels);
}

}  // namespace encdv
