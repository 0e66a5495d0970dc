// The forward DCTs in 16-bit NEON lanes: one register per line (or column) of the block, the
// same flowgraph and the same 16-bit results as the other kernels.
#include <arm_neon.h>

#include "transform/forward_dct.h"
#include "transform/round_mul_neon.h"

namespace encdv {

namespace {

// Flowgraph constants (see DctVectorConstants) and the shifts they are used with.
constexpr int16_t kTan2 = 27146;     // shift 1
constexpr int16_t kCos4 = 23170;     // shift 2
constexpr int16_t kSin2x2 = 25080;   // shift 2
constexpr int16_t kSecant2 = 17734;  // shift 3

inline int16x8_t Add(int16x8_t a, int16x8_t b) {
    return vaddq_s16(a, b);
}
inline int16x8_t Sub(int16x8_t a, int16x8_t b) {
    return vsubq_s16(a, b);
}

// Loads the eight rows of a block, widened to 16 bits: row[i] holds line i, lanes = columns.
inline void LoadRows(const uint8_t* samples, int16x8_t row[8]) {
    for (int i = 0; i < 4; ++i) {
        const uint8x16_t pair = vld1q_u8(samples + 16 * i);
        row[2 * i] = vreinterpretq_s16_u16(vmovl_u8(vget_low_u8(pair)));
        row[2 * i + 1] = vreinterpretq_s16_u16(vmovl_high_u8(pair));
    }
}

// Eight-point butterfly on x[0..7], in place: x[n] becomes frequency n.
inline void EightPointStep(int16x8_t x[8]) {
    const int16x8_t a0 = Add(x[0], x[7]), a7 = Sub(x[0], x[7]);
    const int16x8_t a1 = Add(x[1], x[6]), a6 = Sub(x[1], x[6]);
    const int16x8_t a2 = Add(x[2], x[5]), a5 = Sub(x[2], x[5]);
    const int16x8_t a3 = Add(x[3], x[4]), a4 = Sub(x[3], x[4]);

    const int16x8_t b0 = Add(a0, a3), b3 = Sub(a0, a3);
    const int16x8_t b1 = Add(a1, a2), b2 = Sub(a1, a2);
    const int16x8_t z = RoundMul<2>(Add(b2, b3), kCos4);
    x[0] = Add(b0, b1);
    x[4] = Sub(b0, b1);
    x[2] = Add(b3, z);
    x[6] = Sub(b3, z);

    const int16x8_t p = Add(a4, a5), q = Add(a5, a6), r = Add(a6, a7);
    const int16x8_t m1 = RoundMul<2>(q, kSin2x2);
    const int16x8_t m2 = RoundMul<3>(a7, kSecant2);
    const int16x8_t e = Add(m2, m1), f = Sub(m2, m1);
    const int16x8_t g = Add(r, RoundMul<1>(p, kTan2));
    const int16x8_t k = Sub(p, RoundMul<1>(r, kTan2));
    x[1] = Add(e, g);
    x[7] = Sub(e, g);
    x[3] = Sub(f, k);
    x[5] = Add(f, k);
}

// Four-point step on the line pair sums (or differences) s0..s3 into out[0], out[2], out[4],
// out[6].
inline void FourPointStep(int16x8_t s0, int16x8_t s1, int16x8_t s2, int16x8_t s3, int16x8_t* out) {
    const int16x8_t e0 = Add(s0, s3), e1 = Sub(s0, s3);
    const int16x8_t e2 = Add(s1, s2), e3 = Sub(s2, s1);
    const int16x8_t p = Add(e1, e3), q = Sub(e1, e3);
    out[0] = Add(e0, e2);
    out[4] = Sub(e0, e2);
    out[2] = Add(q, RoundMul<1>(p, kTan2));
    out[6] = Sub(p, RoundMul<1>(q, kTan2));
}

// Vertical pass of the 2-4-8 DCT: rows become S0, D0, S1, D1, S2, D2, S3, D3.
inline void FourPointPairStep(int16x8_t x[8]) {
    const int16x8_t s0 = Add(x[0], x[1]), d0 = Sub(x[0], x[1]);
    const int16x8_t s1 = Add(x[2], x[3]), d1 = Sub(x[2], x[3]);
    const int16x8_t s2 = Add(x[4], x[5]), d2 = Sub(x[4], x[5]);
    const int16x8_t s3 = Add(x[6], x[7]), d3 = Sub(x[6], x[7]);
    FourPointStep(s0, s1, s2, s3, x);
    FourPointStep(d0, d1, d2, d3, x + 1);
}

// Transposes the 8x8 array of 16-bit values held in x[0..7] by interleaving 16-, 32- and
// 64-bit lanes.
inline void Transpose(int16x8_t x[8]) {
    int32x4_t a[8];
    for (int i = 0; i < 8; i += 2) {
        a[i] = vreinterpretq_s32_s16(vzip1q_s16(x[i], x[i + 1]));
        a[i + 1] = vreinterpretq_s32_s16(vzip2q_s16(x[i], x[i + 1]));
    }
    int64x2_t b[8];
    for (int i = 0; i < 8; i += 4) {
        b[i] = vreinterpretq_s64_s32(vzip1q_s32(a[i], a[i + 2]));
        b[i + 1] = vreinterpretq_s64_s32(vzip2q_s32(a[i], a[i + 2]));
        b[i + 2] = vreinterpretq_s64_s32(vzip1q_s32(a[i + 1], a[i + 3]));
        b[i + 3] = vreinterpretq_s64_s32(vzip2q_s32(a[i + 1], a[i + 3]));
    }
    for (int i = 0; i < 4; ++i) {
        x[2 * i] = vreinterpretq_s16_s64(vzip1q_s64(b[i], b[i + 4]));
        x[2 * i + 1] = vreinterpretq_s16_s64(vzip2q_s64(b[i], b[i + 4]));
    }
}

// Output stage: sign-magnitude result of floor((|x| + bias) * multiplier / 65536), with the
// product of signed 16-bit lanes as the other kernels form it; register h goes to
// T[8h .. 8h + 7].
inline void ScaleAndStore(CoefficientWord* T, const int16x8_t x[8], const OutputScaleTable& table) {
    for (int h = 0; h < 8; ++h) {
        const int16x8_t sign = vshrq_n_s16(x[h], 15);
        const int16x8_t magnitude = veorq_s16(vaddq_s16(x[h], sign), sign);
        const int16x8_t biased = vaddq_s16(magnitude, vld1q_s16(table.bias + 8 * h));
        const int16x8_t multiplier = vld1q_s16(table.multiplier + 8 * h);
        const int16x4_t low =
            vshrn_n_s32(vmull_s16(vget_low_s16(biased), vget_low_s16(multiplier)), 16);
        const int16x8_t scaled = vshrn_high_n_s32(low, vmull_high_s16(biased, multiplier), 16);
        const int16x8_t word = vorrq_s16(scaled, vshlq_n_s16(sign, 15));
        vst1q_u16(T + 8 * h, vreinterpretq_u16_s16(word));
    }
}

}  // namespace

void ForwardDct88_NEON(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    int16x8_t x[8];
    LoadRows(samples, x);
    EightPointStep(x);  // rows: vertical frequency v, lanes: columns
    Transpose(x);       // registers: columns, lanes: v
    EightPointStep(x);  // registers: horizontal frequency h, lanes: v
    ScaleAndStore(T, x, table);
}

void ForwardDct248_NEON(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    int16x8_t x[8];
    LoadRows(samples, x);
    FourPointPairStep(x);  // rows: 2u + d, lanes: columns
    Transpose(x);          // registers: columns, lanes: 2u + d
    EightPointStep(x);     // registers: horizontal frequency h, lanes: 2u + d
    ScaleAndStore(T, x, table);
}

}  // namespace encdv
