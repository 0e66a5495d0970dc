// The fine DCTs in NEON: 16-bit lanes, widening multiply-accumulates into 32-bit sums, the
// scan by table lookups.
#include <arm_neon.h>

#include "transform/forward_dct_fine_tmpl.h"
#include "transform/scan_order.h"

namespace encdv {

namespace {

// The block's eight lines widened to 16 bits.
inline void LoadLines(const uint8_t* samples, int16x8_t x[8]) {
    for (int i = 0; i < 4; ++i) {
        const uint8x16_t pair = vld1q_u8(samples + 16 * i);
        x[2 * i] = vreinterpretq_s16_u16(vmovl_u8(vget_low_u8(pair)));
        x[2 * i + 1] = vreinterpretq_s16_u16(vmovl_u8(vget_high_u8(pair)));
    }
}

// Transposes rows (lanes: columns) into columns (lanes: rows).
inline void Transpose(const int16x8_t rows[8], int16x8_t columns[8]) {
    const int16x8x2_t t01 = vtrnq_s16(rows[0], rows[1]);
    const int16x8x2_t t23 = vtrnq_s16(rows[2], rows[3]);
    const int16x8x2_t t45 = vtrnq_s16(rows[4], rows[5]);
    const int16x8x2_t t67 = vtrnq_s16(rows[6], rows[7]);
    const auto pairs = [](int16x8_t a, int16x8_t b) {
        return vtrnq_s32(vreinterpretq_s32_s16(a), vreinterpretq_s32_s16(b));
    };
    const int32x4x2_t even0 = pairs(t01.val[0], t23.val[0]);  // columns 0, 4 | 2, 6 of rows 0-3
    const int32x4x2_t odd0 = pairs(t01.val[1], t23.val[1]);   // columns 1, 5 | 3, 7
    const int32x4x2_t even1 = pairs(t45.val[0], t67.val[0]);  // the same for rows 4-7
    const int32x4x2_t odd1 = pairs(t45.val[1], t67.val[1]);
    const auto low = [](int32x4_t a, int32x4_t b) {
        return vreinterpretq_s16_s32(vcombine_s32(vget_low_s32(a), vget_low_s32(b)));
    };
    const auto high = [](int32x4_t a, int32x4_t b) {
        return vreinterpretq_s16_s32(vcombine_s32(vget_high_s32(a), vget_high_s32(b)));
    };
    columns[0] = low(even0.val[0], even1.val[0]);
    columns[4] = high(even0.val[0], even1.val[0]);
    columns[2] = low(even0.val[1], even1.val[1]);
    columns[6] = high(even0.val[1], even1.val[1]);
    columns[1] = low(odd0.val[0], odd1.val[0]);
    columns[5] = high(odd0.val[0], odd1.val[0]);
    columns[3] = low(odd0.val[1], odd1.val[1]);
    columns[7] = high(odd0.val[1], odd1.val[1]);
}

// The sums of eight rows (low: rows 0-3) in eighths as the portable kernel's ToEighths:
// rounded, then a magnitude of half a coefficient that the sum exceeds grown by an eighth.
// The tie test runs on 16-bit lanes: the part of the sum below the rounded value, a signed
// 19-bit number that shifting left by 13 isolates, keeps its sign and whether it is zero
// when narrowed with saturation.
inline int16x8_t ToEighths(int32x4_t low, int32x4_t high) {
    const int16x8_t value = vqmovn_high_s32(vqmovn_s32(vrshrq_n_s32(low, kFineHorizontalShift)),
                                            vrshrq_n_s32(high, kFineHorizontalShift));
    constexpr int kRestShift = 32 - kFineHorizontalShift;
    const int16x8_t rest =
        vqmovn_high_s32(vqmovn_s32(vshlq_n_s32(low, kRestShift)), vshlq_n_s32(high, kRestShift));
    // A value of 4 modulo 8 moves away from zero by one where the rest points the same way:
    // the rest clamped to [0, 1] for positive values, to [-1, 0] for negative ones.
    const uint16x8_t key =
        vandq_u16(vreinterpretq_u16_s16(value), vdupq_n_u16(static_cast<uint16_t>(0x8007)));
    const int16x8_t up = vreinterpretq_s16_u16(vshrq_n_u16(vceqq_u16(key, vdupq_n_u16(4)), 15));
    const int16x8_t down =
        vreinterpretq_s16_u16(vceqq_u16(key, vdupq_n_u16(static_cast<uint16_t>(0x8004))));
    return vaddq_s16(value, vmaxq_s16(vminq_s16(rest, up), down));
}

// Four 16 x 16-bit products per lane into 32 bits, rounded to eighths.
inline int16x8_t HorizontalSum(const int16x8_t y[4], const int16_t* pair0, const int16_t* pair1) {
    const int16x8x2_t k01 = vld2q_s16(pair0);  // multipliers of j = 0 and 1 by row
    const int16x8x2_t k23 = vld2q_s16(pair1);
    int32x4_t low = vmull_s16(vget_low_s16(y[0]), vget_low_s16(k01.val[0]));
    int32x4_t high = vmull_high_s16(y[0], k01.val[0]);
    low = vmlal_s16(low, vget_low_s16(y[1]), vget_low_s16(k01.val[1]));
    high = vmlal_high_s16(high, y[1], k01.val[1]);
    low = vmlal_s16(low, vget_low_s16(y[2]), vget_low_s16(k23.val[0]));
    high = vmlal_high_s16(high, y[2], k23.val[0]);
    low = vmlal_s16(low, vget_low_s16(y[3]), vget_low_s16(k23.val[1]));
    high = vmlal_high_s16(high, y[3], k23.val[1]);
    return ToEighths(low, high);
}

// The outputs in scan order, position 0 = 0: table lookups of the low and the high bytes.
template <int Mode>
inline void Scan(const int16x8_t out[8], int16x8_t scanned[8]) {
    constexpr const uint8_t* order = Mode == 0 ? kScanOrder88 : kScanOrder248;
    uint8x16x4_t low, high;
    for (int i = 0; i < 4; ++i) {
        const uint8x16_t a = vreinterpretq_u8_s16(out[2 * i]);
        const uint8x16_t b = vreinterpretq_u8_s16(out[2 * i + 1]);
        low.val[i] = vuzp1q_u8(a, b);
        high.val[i] = vuzp2q_u8(a, b);
    }
    for (int i = 0; i < 4; ++i) {
        const uint8x16_t index = vld1q_u8(order + 16 * i);
        const uint8x16_t lows = vqtbl4q_u8(low, index);
        const uint8x16_t highs = vqtbl4q_u8(high, index);
        scanned[2 * i] = vreinterpretq_s16_u8(vzip1q_u8(lows, highs));
        scanned[2 * i + 1] = vreinterpretq_s16_u8(vzip2q_u8(lows, highs));
    }
    scanned[0] = vsetq_lane_s16(0, scanned[0], 0);
}

inline void StoreMagnitudes(const int16x8_t scanned[8], uint16_t* magnitudes) {
    for (int i = 0; i < 8; ++i) {
        vst1q_u16(magnitudes + 8 * i, vreinterpretq_u16_s16(vabsq_s16(scanned[i])));
    }
}

// The primitives of the fine DCTs (forward_dct_fine_tmpl.h).
struct Fine {
    using Vector = int16x8_t;

    static int16x8_t Add(int16x8_t a, int16x8_t b) { return vaddq_s16(a, b); }
    static int16x8_t Sub(int16x8_t a, int16x8_t b) { return vsubq_s16(a, b); }
    static int16x8_t Splat(int16_t value) { return vdupq_n_s16(value); }
    static int16x8_t Times16(int16x8_t x) { return vshlq_n_s16(x, 4); }

    static int16x8_t Dot2(int16x8_t x, int16x8_t y, int a, int b) {
        const int16_t a16 = static_cast<int16_t>(a), b16 = static_cast<int16_t>(b);
        const int32x4_t low = vmlal_n_s16(vmull_n_s16(vget_low_s16(x), a16), vget_low_s16(y), b16);
        const int32x4_t high =
            vmlal_n_s16(vmull_n_s16(vget_high_s16(x), a16), vget_high_s16(y), b16);
        return vcombine_s16(vqrshrn_n_s32(low, kFineVerticalShift),
                            vqrshrn_n_s32(high, kFineVerticalShift));
    }

    static int16x8_t Dot4(const int16x8_t x[4], int a, int b, int c, int d) {
        int32x4_t low = vmull_n_s16(vget_low_s16(x[0]), static_cast<int16_t>(a));
        int32x4_t high = vmull_n_s16(vget_high_s16(x[0]), static_cast<int16_t>(a));
        low = vmlal_n_s16(low, vget_low_s16(x[1]), static_cast<int16_t>(b));
        high = vmlal_n_s16(high, vget_high_s16(x[1]), static_cast<int16_t>(b));
        low = vmlal_n_s16(low, vget_low_s16(x[2]), static_cast<int16_t>(c));
        high = vmlal_n_s16(high, vget_high_s16(x[2]), static_cast<int16_t>(c));
        low = vmlal_n_s16(low, vget_low_s16(x[3]), static_cast<int16_t>(d));
        high = vmlal_n_s16(high, vget_high_s16(x[3]), static_cast<int16_t>(d));
        return vcombine_s16(vqrshrn_n_s32(low, kFineVerticalShift),
                            vqrshrn_n_s32(high, kFineVerticalShift));
    }

    // The block's 64 outputs in eighths, register h holding frequency h by row; [0] lane 0 is
    // undefined.
    struct Outputs {
        int16x8_t h[8];
    };

    template <int Mode>
    static void Transform(const uint8_t* samples, Outputs& out) {
        int16x8_t x[8], rows[8], columns[8];
        LoadLines(samples, x);
        FineVertical<Fine, Mode>(x, rows);
        Transpose(rows, columns);
        int16x8_t s[4], d[4];
        for (int j = 0; j < 4; ++j) {
            s[j] = vaddq_s16(columns[j], columns[7 - j]);
            d[j] = vsubq_s16(columns[j], columns[7 - j]);
        }
        const int16_t(*table)[2][16] = kFineHorizontal[Mode];
        for (int h = 0; h < 8; ++h)
            out.h[h] = HorizontalSum(h % 2 == 0 ? s : d, table[h][0], table[h][1]);
    }

    template <int Mode>
    static void ScanWithSignWords(const Outputs& out, uint16_t* magnitudes,
                                  CoefficientWord* signWords) {
        int16x8_t scanned[8];
        Scan<Mode>(out.h, scanned);
        StoreMagnitudes(scanned, magnitudes);
        const uint16x8_t signBit = vdupq_n_u16(kSignBit);
        for (int i = 0; i < 8; ++i) {
            vst1q_u16(signWords + 8 * i, vandq_u16(vreinterpretq_u16_s16(scanned[i]), signBit));
        }
    }

    template <int Mode>
    static uint64_t ScanWithSignBits(const Outputs& out, uint16_t* magnitudes) {
        int16x8_t scanned[8];
        Scan<Mode>(out.h, scanned);
        StoreMagnitudes(scanned, magnitudes);
        // Each negative lane keeps its own bit of the byte, and the lanes add up to the byte.
        const uint16_t weights[8] = {1, 2, 4, 8, 16, 32, 64, 128};
        const uint16x8_t bits = vld1q_u16(weights);
        uint64_t signs = 0;
        for (int i = 0; i < 8; ++i) {
            const uint16x8_t negative = vcltzq_s16(scanned[i]);
            signs |= static_cast<uint64_t>(vaddvq_u16(vandq_u16(negative, bits))) << (8 * i);
        }
        return signs;
    }

    static int SampleSum(const uint8_t* samples) {
        int sum = 0;
        for (int i = 0; i < 4; ++i) sum += vaddlvq_u8(vld1q_u8(samples + 16 * i));
        return sum;
    }
};

}  // namespace

void SetForwardDctFineKernels_NEON(TransformKernels& kernels) {
    SetForwardDctFineKernels<Fine>(kernels);
}

}  // namespace encdv
