// The forward DCTs in 16-bit SSE2 lanes: one register per line (or column) of the block.
#include <emmintrin.h>

#include "transform/forward_dct.h"
#include "transform/round_mul_sse2.h"

namespace encdv {

namespace {

// The constants as registers, loaded once per block.
struct FlowgraphConstants {
    __m128i tan2, cos4, sin2x2, secant2;
};

inline FlowgraphConstants LoadConstants() {
    const DctVectorConstants& k = GetDctVectorConstants();
    return {_mm_load_si128(reinterpret_cast<const __m128i*>(k.tan2)),
            _mm_load_si128(reinterpret_cast<const __m128i*>(k.cos4)),
            _mm_load_si128(reinterpret_cast<const __m128i*>(k.sin2x2)),
            _mm_load_si128(reinterpret_cast<const __m128i*>(k.secant2))};
}

inline __m128i Add(__m128i a, __m128i b) {
    return _mm_add_epi16(a, b);
}
inline __m128i Sub(__m128i a, __m128i b) {
    return _mm_sub_epi16(a, b);
}

// Loads the eight rows of a block, widened to 16 bits: row[i] holds line i, lanes = columns.
inline void LoadRows(const uint8_t* samples, __m128i row[8]) {
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        const __m128i pair = _mm_load_si128(reinterpret_cast<const __m128i*>(samples) + i);
        row[2 * i] = _mm_unpacklo_epi8(pair, zero);
        row[2 * i + 1] = _mm_unpackhi_epi8(pair, zero);
    }
}

// Eight-point butterfly on x[0..7], in place: x[n] becomes frequency n, scaled by the gains
// 1, 2 cos(n pi/16) (even n) and 2 cos(n pi/16) / cos(2 pi/16) (odd n).
inline void EightPointStep(__m128i x[8], const FlowgraphConstants& k) {
    const __m128i a0 = Add(x[0], x[7]), a7 = Sub(x[0], x[7]);
    const __m128i a1 = Add(x[1], x[6]), a6 = Sub(x[1], x[6]);
    const __m128i a2 = Add(x[2], x[5]), a5 = Sub(x[2], x[5]);
    const __m128i a3 = Add(x[3], x[4]), a4 = Sub(x[3], x[4]);

    const __m128i b0 = Add(a0, a3), b3 = Sub(a0, a3);
    const __m128i b1 = Add(a1, a2), b2 = Sub(a1, a2);
    const __m128i z = RoundMul<2>(Add(b2, b3), k.cos4);
    x[0] = Add(b0, b1);
    x[4] = Sub(b0, b1);
    x[2] = Add(b3, z);
    x[6] = Sub(b3, z);

    const __m128i p = Add(a4, a5), q = Add(a5, a6), r = Add(a6, a7);
    const __m128i m1 = RoundMul<2>(q, k.sin2x2);
    const __m128i m2 = RoundMul<3>(a7, k.secant2);
    const __m128i e = Add(m2, m1), f = Sub(m2, m1);
    const __m128i g = Add(r, RoundMul<1>(p, k.tan2));
    const __m128i kk = Sub(p, RoundMul<1>(r, k.tan2));
    x[1] = Add(e, g);
    x[7] = Sub(e, g);
    x[3] = Sub(f, kk);
    x[5] = Add(f, kk);
}

// Four-point step on the line pair sums (or differences) s[0..3]: S0, S1, S2, S3 into
// out[0], out[2], out[4], out[6], scaled by the gains 1, sqrt2 / cos(2 pi/16), sqrt2,
// sqrt2 / cos(2 pi/16).
inline void FourPointStep(__m128i s0, __m128i s1, __m128i s2, __m128i s3, __m128i* out,
                          const FlowgraphConstants& k) {
    const __m128i e0 = Add(s0, s3), e1 = Sub(s0, s3);
    const __m128i e2 = Add(s1, s2), e3 = Sub(s2, s1);
    const __m128i p = Add(e1, e3), q = Sub(e1, e3);
    out[0] = Add(e0, e2);
    out[4] = Sub(e0, e2);
    out[2] = Add(q, RoundMul<1>(p, k.tan2));
    out[6] = Sub(p, RoundMul<1>(q, k.tan2));
}

// Vertical pass of the 2-4-8 DCT: rows become S0, D0, S1, D1, S2, D2, S3, D3.
inline void FourPointPairStep(__m128i x[8], const FlowgraphConstants& k) {
    const __m128i s0 = Add(x[0], x[1]), d0 = Sub(x[0], x[1]);
    const __m128i s1 = Add(x[2], x[3]), d1 = Sub(x[2], x[3]);
    const __m128i s2 = Add(x[4], x[5]), d2 = Sub(x[4], x[5]);
    const __m128i s3 = Add(x[6], x[7]), d3 = Sub(x[6], x[7]);
    FourPointStep(s0, s1, s2, s3, x, k);
    FourPointStep(d0, d1, d2, d3, x + 1, k);
}

// Transposes the 8x8 array of 16-bit values held in x[0..7] by interleaving 16-, 32- and
// 64-bit lanes.
inline void Transpose(__m128i x[8]) {
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

// Output stage: sign-magnitude result of floor((|x| + bias) * multiplier / 65536) for every
// value; register h goes to T[8h .. 8h + 7]. No value exceeds 16320 in magnitude, so |x| plus
// the bias stays positive in 16 bits.
inline void ScaleAndStore(CoefficientWord* T, const __m128i x[8], const OutputScaleTable& table) {
    const __m128i* multiplier = reinterpret_cast<const __m128i*>(table.multiplier);
    const __m128i* bias = reinterpret_cast<const __m128i*>(table.bias);
    __m128i* out = reinterpret_cast<__m128i*>(T);
    for (int h = 0; h < 8; ++h) {
        const __m128i sign = _mm_srai_epi16(x[h], 15);
        const __m128i magnitude = _mm_xor_si128(_mm_add_epi16(x[h], sign), sign);
        const __m128i scaled = _mm_mulhi_epi16(_mm_add_epi16(magnitude, _mm_load_si128(bias + h)),
                                               _mm_load_si128(multiplier + h));
        _mm_store_si128(out + h, _mm_or_si128(scaled, _mm_slli_epi16(sign, 15)));
    }
}

}  // namespace

void ForwardDct88_SSE2(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    const FlowgraphConstants k = LoadConstants();
    __m128i x[8];
    LoadRows(samples, x);
    EightPointStep(x, k);  // rows: vertical frequency v, lanes: columns
    Transpose(x);          // registers: columns, lanes: v
    EightPointStep(x, k);  // registers: horizontal frequency h, lanes: v
    ScaleAndStore(T, x, table);
}

void ForwardDct248_SSE2(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    const FlowgraphConstants k = LoadConstants();
    __m128i x[8];
    LoadRows(samples, x);
    FourPointPairStep(x, k);  // rows: 2u + d, lanes: columns
    Transpose(x);             // registers: columns, lanes: 2u + d
    EightPointStep(x, k);     // registers: horizontal frequency h, lanes: 2u + d
    ScaleAndStore(T, x, table);
}

}  // namespace encdv
