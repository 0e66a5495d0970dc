// The forward DCTs of two blocks at once in 16-bit AVX2 lanes: one register per line (or
// column) of both blocks, block 0 in the low 128 bits and block 1 in the high. Every
// instruction works within 128-bit halves, so each half computes exactly what the SSE2
// kernel computes for its block.
#include <immintrin.h>

#include "transform/forward_dct_tmpl.h"

namespace encdv {

namespace {

// The constants as registers, loaded once per pair.
struct FlowgraphConstants {
    __m256i tan2, cos4, sin2x2, secant2;
};

inline __m128i Load128(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// Eight 16-bit lanes of `low` and eight of `high` in one register.
inline __m256i Combine(__m128i low, __m128i high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// The primitives of the forward DCTs (forward_dct_tmpl.h), two blocks at a time.
struct DctPair {
    using Vector = __m256i;

    static FlowgraphConstants LoadConstants() {
        const DctVectorConstants& k = GetDctVectorConstants();
        return {_mm256_broadcastsi128_si256(Load128(k.tan2)),
                _mm256_broadcastsi128_si256(Load128(k.cos4)),
                _mm256_broadcastsi128_si256(Load128(k.sin2x2)),
                _mm256_broadcastsi128_si256(Load128(k.secant2))};
    }

    static __m256i Add(__m256i a, __m256i b) { return _mm256_add_epi16(a, b); }
    static __m256i Sub(__m256i a, __m256i b) { return _mm256_sub_epi16(a, b); }

    // The flowgraph multiply (floor(x * 2^S * c / 65536) + 1) >> 1, as the SSE2 kernel's
    // RoundMul (round_mul_sse2.h) forms it, without the 17-bit x * 2^S.
    template <int S>
    static __m256i RoundMul(__m256i x, __m256i c) {
        static_assert(S >= 1 && S <= 15, "shift out of range");
        const __m256i hi = _mm256_mulhi_epi16(x, c);
        const __m256i fraction = _mm256_srli_epi16(_mm256_mullo_epi16(x, c), 16 - S);
        if (S == 1) return _mm256_add_epi16(hi, fraction);
        const __m256i rounded = _mm256_avg_epu16(fraction, _mm256_setzero_si256());
        return _mm256_add_epi16(_mm256_slli_epi16(hi, S - 1), rounded);
    }

    template <bool kSecondHigh>
    static __m256i TakeHigh(__m256i first, __m256i second) {
        return kSecondHigh ? _mm256_blend_epi32(first, second, 0xF0)
                           : _mm256_blend_epi32(second, first, 0xF0);
    }

    // The eight lines of both blocks widened to 16 bits: row[i] holds line i of each.
    static void LoadRowPair(const uint8_t* samples0, const uint8_t* samples1, __m256i row[8]) {
        const __m256i zero = _mm256_setzero_si256();
        for (int i = 0; i < 4; ++i) {
            const __m256i pair = Combine(Load128(samples0 + 16 * i), Load128(samples1 + 16 * i));
            row[2 * i] = _mm256_unpacklo_epi8(pair, zero);
            row[2 * i + 1] = _mm256_unpackhi_epi8(pair, zero);
        }
    }

    // Transposes the 8x8 array of each half by interleaving 16-, 32- and 64-bit lanes.
    static void Transpose(__m256i x[8]) {
        const __m256i a0 = _mm256_unpacklo_epi16(x[0], x[1]);
        const __m256i a1 = _mm256_unpackhi_epi16(x[0], x[1]);
        const __m256i a2 = _mm256_unpacklo_epi16(x[2], x[3]);
        const __m256i a3 = _mm256_unpackhi_epi16(x[2], x[3]);
        const __m256i a4 = _mm256_unpacklo_epi16(x[4], x[5]);
        const __m256i a5 = _mm256_unpackhi_epi16(x[4], x[5]);
        const __m256i a6 = _mm256_unpacklo_epi16(x[6], x[7]);
        const __m256i a7 = _mm256_unpackhi_epi16(x[6], x[7]);

        const __m256i b0 = _mm256_unpacklo_epi32(a0, a2), b1 = _mm256_unpackhi_epi32(a0, a2);
        const __m256i b2 = _mm256_unpacklo_epi32(a1, a3), b3 = _mm256_unpackhi_epi32(a1, a3);
        const __m256i b4 = _mm256_unpacklo_epi32(a4, a6), b5 = _mm256_unpackhi_epi32(a4, a6);
        const __m256i b6 = _mm256_unpacklo_epi32(a5, a7), b7 = _mm256_unpackhi_epi32(a5, a7);

        x[0] = _mm256_unpacklo_epi64(b0, b4);
        x[1] = _mm256_unpackhi_epi64(b0, b4);
        x[2] = _mm256_unpacklo_epi64(b1, b5);
        x[3] = _mm256_unpackhi_epi64(b1, b5);
        x[4] = _mm256_unpacklo_epi64(b2, b6);
        x[5] = _mm256_unpackhi_epi64(b2, b6);
        x[6] = _mm256_unpacklo_epi64(b3, b7);
        x[7] = _mm256_unpackhi_epi64(b3, b7);
    }

    // Output stage, as the SSE2 kernel's: sign-magnitude floor((|x| + bias) * multiplier /
    // 65536), each half through its block's table; register h goes to T0[8h .. 8h + 7] and
    // T1[8h .. 8h + 7], two registers' halves in each 32-byte store, so that a whole-register
    // load of the outputs takes them from one store.
    static void ScaleAndStorePair(CoefficientWord* T0, CoefficientWord* T1, const __m256i x[8],
                                  const OutputScaleTable& table0, const OutputScaleTable& table1) {
        for (int h = 0; h < 8; h += 2) {
            const __m256i even = Scale(x[h], table0, table1, h);
            const __m256i odd = Scale(x[h + 1], table0, table1, h + 1);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(T0 + 8 * h),
                                _mm256_permute2x128_si256(even, odd, 0x20));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(T1 + 8 * h),
                                _mm256_permute2x128_si256(even, odd, 0x31));
        }
    }

    static __m256i Scale(__m256i x, const OutputScaleTable& table0, const OutputScaleTable& table1,
                         int h) {
        const __m256i multiplier =
            Combine(Load128(table0.multiplier + 8 * h), Load128(table1.multiplier + 8 * h));
        const __m256i bias = Combine(Load128(table0.bias + 8 * h), Load128(table1.bias + 8 * h));
        const __m256i sign = _mm256_srai_epi16(x, 15);
        const __m256i magnitude = _mm256_xor_si256(_mm256_add_epi16(x, sign), sign);
        const __m256i scaled = _mm256_mulhi_epi16(_mm256_add_epi16(magnitude, bias), multiplier);
        return _mm256_or_si256(scaled, _mm256_slli_epi16(sign, 15));
    }
};

}  // namespace

void SetForwardDctKernels_AVX2(TransformKernels& kernels) {
    SetForwardDctPairKernels<DctPair>(kernels);
}

}  // namespace encdv
