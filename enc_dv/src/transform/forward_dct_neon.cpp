// The forward DCTs in 16-bit NEON lanes: one register per line (or column) of the block, the
// same flowgraph and the same 16-bit results as the other kernels.
#include <arm_neon.h>

#include "transform/forward_dct_tmpl.h"
#include "transform/round_mul_neon.h"

namespace encdv {

namespace {

// The flowgraph constants (see DctVectorConstants), multiplied in as scalars.
struct FlowgraphScalars {
    int16_t tan2, cos4, sin2x2, secant2;
};

// The primitives of the forward DCTs (forward_dct_tmpl.h).
struct Dct {
    using Vector = int16x8_t;

    static constexpr FlowgraphScalars LoadConstants() { return {27146, 23170, 25080, 17734}; }

    static int16x8_t Add(int16x8_t a, int16x8_t b) { return vaddq_s16(a, b); }
    static int16x8_t Sub(int16x8_t a, int16x8_t b) { return vsubq_s16(a, b); }

    template <int S>
    static int16x8_t RoundMul(int16x8_t x, int16_t c) {
        return encdv::RoundMul<S>(x, c);
    }

    // The eight rows of a block, widened to 16 bits: row[i] holds line i, lanes = columns.
    static void LoadRows(const uint8_t* samples, int16x8_t row[8]) {
        for (int i = 0; i < 4; ++i) {
            const uint8x16_t pair = vld1q_u8(samples + 16 * i);
            row[2 * i] = vreinterpretq_s16_u16(vmovl_u8(vget_low_u8(pair)));
            row[2 * i + 1] = vreinterpretq_s16_u16(vmovl_high_u8(pair));
        }
    }

    // Transposes the 8x8 array of 16-bit values held in x[0..7] by interleaving 16-, 32- and
    // 64-bit lanes.
    static void Transpose(int16x8_t x[8]) {
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

    // Output stage: sign-magnitude result of floor((|x| + bias) * multiplier / 65536), with
    // the product of signed 16-bit lanes as the other kernels form it; register h goes to
    // T[8h .. 8h + 7].
    static void ScaleAndStore(CoefficientWord* T, const int16x8_t x[8],
                              const OutputScaleTable& table) {
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
};

}  // namespace

void SetForwardDctKernels_NEON(TransformKernels& kernels) {
    SetForwardDctKernels<Dct>(kernels);
}

}  // namespace encdv
