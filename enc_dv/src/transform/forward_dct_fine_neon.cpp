// The fine DCTs in NEON: 16-bit lanes, widening multiply-accumulates into 32-bit sums, the
// scan by table lookups.
#include <arm_neon.h>

#include "transform/forward_dct_fine.h"
#include "transform/scan_order.h"

namespace encdv {

namespace {

constexpr int kVerticalShift = 11;
constexpr int kHorizontalShift = 19;

// round((a x + b y) / 2^11) per lane.
inline int16x8_t Dot2(int16x8_t x, int16x8_t y, int16_t a, int16_t b) {
    const int32x4_t low = vmlal_n_s16(vmull_n_s16(vget_low_s16(x), a), vget_low_s16(y), b);
    const int32x4_t high = vmlal_n_s16(vmull_n_s16(vget_high_s16(x), a), vget_high_s16(y), b);
    return vcombine_s16(vqrshrn_n_s32(low, kVerticalShift), vqrshrn_n_s32(high, kVerticalShift));
}

// round((a x0 + b x1 + c x2 + d x3) / 2^11) per lane.
inline int16x8_t Dot4(const int16x8_t x[4], int16_t a, int16_t b, int16_t c, int16_t d) {
    int32x4_t low = vmull_n_s16(vget_low_s16(x[0]), a);
    int32x4_t high = vmull_n_s16(vget_high_s16(x[0]), a);
    low = vmlal_n_s16(low, vget_low_s16(x[1]), b);
    high = vmlal_n_s16(high, vget_high_s16(x[1]), b);
    low = vmlal_n_s16(low, vget_low_s16(x[2]), c);
    high = vmlal_n_s16(high, vget_high_s16(x[2]), c);
    low = vmlal_n_s16(low, vget_low_s16(x[3]), d);
    high = vmlal_n_s16(high, vget_high_s16(x[3]), d);
    return vcombine_s16(vqrshrn_n_s32(low, kVerticalShift), vqrshrn_n_s32(high, kVerticalShift));
}

// The block's eight lines widened to 16 bits.
inline void LoadLines(const uint8_t* samples, int16x8_t x[8]) {
    for (int i = 0; i < 4; ++i) {
        const uint8x16_t pair = vld1q_u8(samples + 16 * i);
        x[2 * i] = vreinterpretq_s16_u16(vmovl_u8(vget_low_u8(pair)));
        x[2 * i + 1] = vreinterpretq_s16_u16(vmovl_u8(vget_high_u8(pair)));
    }
}

inline int SampleSum(const uint8_t* samples) {
    int sum = 0;
    for (int i = 0; i < 4; ++i) sum += vaddlvq_u8(vld1q_u8(samples + 16 * i));
    return sum;
}

// The four-point DCT of one half (y = line pair sums or differences) into rows d, 2 + d,
// 4 + d, 6 + d; `shift` is the level shift of the sum half's u = 0 row.
inline void FourPoint(int16x8_t y0, int16x8_t y1, int16x8_t y2, int16x8_t y3, int16_t shift,
                      int16x8_t* rows) {
    constexpr const int16_t* k = kFineVerticalBasis;
    const int16x8_t a0 = vaddq_s16(y0, y3), a1 = vaddq_s16(y1, y2);
    const int16x8_t b0 = vsubq_s16(y0, y3), b1 = vsubq_s16(y1, y2);
    rows[0] = vshlq_n_s16(vsubq_s16(vaddq_s16(a0, a1), vdupq_n_s16(shift)), 4);
    rows[4] = vshlq_n_s16(vsubq_s16(a0, a1), 4);
    rows[2] = Dot2(b0, b1, k[2], k[6]);
    rows[6] = Dot2(b0, b1, k[6], static_cast<int16_t>(-k[2]));
}

inline void Vertical88(const int16x8_t x[8], int16x8_t rows[8]) {
    constexpr const int16_t* k = kFineVerticalBasis;
    int16x8_t s[4], d[4];
    for (int i = 0; i < 4; ++i) {
        s[i] = vaddq_s16(x[i], x[7 - i]);
        d[i] = vsubq_s16(x[i], x[7 - i]);
    }
    int16x8_t even[8];
    FourPoint(s[0], s[1], s[2], s[3], 1024, even);
    rows[0] = even[0];
    rows[2] = even[2];
    rows[4] = even[4];
    rows[6] = even[6];
    const auto n = [](int16_t value) { return static_cast<int16_t>(-value); };
    rows[1] = Dot4(d, k[1], k[3], k[5], k[7]);
    rows[3] = Dot4(d, k[3], n(k[7]), n(k[1]), n(k[5]));
    rows[5] = Dot4(d, k[5], n(k[1]), k[7], k[3]);
    rows[7] = Dot4(d, k[7], n(k[5]), k[3], n(k[1]));
}

inline void Vertical248(const int16x8_t x[8], int16x8_t rows[8]) {
    int16x8_t s[4], d[4];
    for (int z = 0; z < 4; ++z) {
        s[z] = vaddq_s16(x[2 * z], x[2 * z + 1]);
        d[z] = vsubq_s16(x[2 * z], x[2 * z + 1]);
    }
    int16x8_t sums[8], differences[8];
    FourPoint(s[0], s[1], s[2], s[3], 1024, sums);
    FourPoint(d[0], d[1], d[2], d[3], 0, differences);
    for (int u = 0; u < 4; ++u) {
        rows[2 * u] = sums[2 * u];
        rows[2 * u + 1] = differences[2 * u];
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
    const int16x8_t value = vqmovn_high_s32(vqmovn_s32(vrshrq_n_s32(low, kHorizontalShift)),
                                            vrshrq_n_s32(high, kHorizontalShift));
    constexpr int kRestShift = 32 - kHorizontalShift;
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

// The block's 64 outputs in eighths, register h holding frequency h by row; out[0][0] is
// undefined.
template <int Mode>
inline void Transform(const uint8_t* samples, int16x8_t out[8]) {
    int16x8_t x[8], rows[8], columns[8];
    LoadLines(samples, x);
    if (Mode == 0) {
        Vertical88(x, rows);
    } else {
        Vertical248(x, rows);
    }
    Transpose(rows, columns);
    int16x8_t s[4], d[4];
    for (int j = 0; j < 4; ++j) {
        s[j] = vaddq_s16(columns[j], columns[7 - j]);
        d[j] = vsubq_s16(columns[j], columns[7 - j]);
    }
    const int16_t(*table)[2][16] = kFineHorizontal[Mode];
    for (int h = 0; h < 8; ++h)
        out[h] = HorizontalSum(h % 2 == 0 ? s : d, table[h][0], table[h][1]);
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

template <int Mode>
int WithSignWords(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords) {
    int16x8_t out[8], scanned[8];
    Transform<Mode>(samples, out);
    Scan<Mode>(out, scanned);
    StoreMagnitudes(scanned, magnitudes);
    const uint16x8_t signBit = vdupq_n_u16(kSignBit);
    for (int i = 0; i < 8; ++i) {
        vst1q_u16(signWords + 8 * i, vandq_u16(vreinterpretq_u16_s16(scanned[i]), signBit));
    }
    return SampleSum(samples);
}

template <int Mode>
uint64_t WithSignBits(const uint8_t* samples, uint16_t* magnitudes) {
    int16x8_t out[8], scanned[8];
    Transform<Mode>(samples, out);
    Scan<Mode>(out, scanned);
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

}  // namespace

int ForwardDctFine88_NEON(const uint8_t* samples, uint16_t* magnitudes,
                          CoefficientWord* signWords) {
    return WithSignWords<0>(samples, magnitudes, signWords);
}

int ForwardDctFine248_NEON(const uint8_t* samples, uint16_t* magnitudes,
                           CoefficientWord* signWords) {
    return WithSignWords<1>(samples, magnitudes, signWords);
}

uint64_t ForwardDctFineSigns88_NEON(const uint8_t* samples, uint16_t* magnitudes) {
    return WithSignBits<0>(samples, magnitudes);
}

uint64_t ForwardDctFineSigns248_NEON(const uint8_t* samples, uint16_t* magnitudes) {
    return WithSignBits<1>(samples, magnitudes);
}

}  // namespace encdv
