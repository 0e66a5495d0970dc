// The quantizer's kernels in NEON: straight-line shifts of whole 8-word rows.
#include <arm_neon.h>

#include "coding/nonzero_list.h"
#include "coding/quantizer.h"
#include "coding/quantizer_tmpl.h"

namespace encdv {
namespace {

template <int K>
inline int16x8_t ShiftRight(int16x8_t x) {
    if constexpr (K == 0) {
        return x;
    } else {
        return vshrq_n_s16(x, K);
    }
}

// Lanes below kSplit set, the others clear.
template <int kSplit>
inline uint16x8_t LowLanes() {
    static_assert(kSplit > 0 && kSplit < 8, "the split falls inside the row");
    static constexpr uint16_t kLanes[8] = {
        0xFFFF,
        kSplit > 1 ? 0xFFFF : 0,
        kSplit > 2 ? 0xFFFF : 0,
        kSplit > 3 ? 0xFFFF : 0,
        kSplit > 4 ? 0xFFFF : 0,
        kSplit > 5 ? 0xFFFF : 0,
        kSplit > 6 ? 0xFFFF : 0,
        0,
    };
    return vld1q_u16(kLanes);
}

// The magnitudes and weights of a block, eight 8-position vectors each; the weights of the
// three vectors that straddle an area boundary also split into a part per area (zero in the
// other area's lanes).
struct RoundingInput {
    uint16x8_t m[8];
    int16x8_t w[8];
    int16x8_t low[3];   // kStraddlingVector: the lanes of the lower area
    int16x8_t high[3];  // and those of the higher
};

inline void LoadRoundingInput(const uint16_t* magnitudes, const int16_t* weights,
                              RoundingInput& in) {
    for (int v = 0; v < 8; ++v) {
        in.m[v] = vld1q_u16(magnitudes + 8 * v);
        in.w[v] = vld1q_s16(weights + 8 * v);
    }
    const uint16x8_t lowLanes[3] = {LowLanes<kStraddlingLane[0]>(), LowLanes<kStraddlingLane[1]>(),
                                    LowLanes<kStraddlingLane[2]>()};
    for (int i = 0; i < 3; ++i) {
        const uint16x8_t w = vreinterpretq_u16_s16(in.w[kStraddlingVector[i]]);
        in.low[i] = vreinterpretq_s16_u16(vandq_u16(w, lowLanes[i]));
        in.high[i] = vreinterpretq_s16_u16(vbicq_u16(w, lowLanes[i]));
    }
}

// One bit per byte of four 16-byte masks (0 or 0xFF), byte 0 of the first lowest: each byte
// weighted by its bit value and summed in three pairwise steps, as BuildNonzeroList does.
inline uint64_t ByteBits(const uint8x16_t masks[4]) {
    static constexpr uint8_t kBitWeights[16] = {1, 2, 4, 8, 16, 32, 64, 128,
                                                1, 2, 4, 8, 16, 32, 64, 128};
    const uint8x16_t weights = vld1q_u8(kBitWeights);
    uint8x16_t weighted[4];
    for (int i = 0; i < 4; ++i) weighted[i] = vandq_u8(masks[i], weights);
    const uint8x16_t quarters =
        vpaddq_u8(vpaddq_u8(weighted[0], weighted[1]), vpaddq_u8(weighted[2], weighted[3]));
    return vgetq_lane_u64(vreinterpretq_u64_u8(vpaddq_u8(quarters, quarters)), 0);
}

// The constants of the rounding at one shift, t = shift + kFineFractionBits.
struct ShiftConstants {
    int16x8_t right;    // -t, to shift right by t
    uint16x8_t offset;  // 2^(t - 1) - 1
    uint16x8_t low;     // 2^t - 1
    uint16x8_t top;     // 255 << t
};

inline ShiftConstants ConstantsAt(int shift) {
    const int t = shift + kFineFractionBits;
    return {vdupq_n_s16(static_cast<int16_t>(-t)),
            vdupq_n_u16(static_cast<uint16_t>((1 << (t - 1)) - 1)),
            vdupq_n_u16(static_cast<uint16_t>((1 << t) - 1)),
            vdupq_n_u16(static_cast<uint16_t>(255 << t))};
}

// The rounding of one vector of magnitudes: the amplitudes (above 255 where Cap, which the
// saturating narrowing caps) and the squared errors, 16-bit.
template <bool Cap>
inline void RoundVector(uint16x8_t m, const ShiftConstants& k, uint16x8_t& amplitude,
                        int16x8_t& square, uint16x8_t& over) {
    const uint16x8_t x = vaddq_u16(m, k.offset);
    amplitude = vshlq_u16(x, k.right);
    uint16x8_t e;
    if constexpr (Cap) {
        // The step's multiple, at most 255 steps: e = m - min(x with its low t bits cleared,
        // 255 << t).
        const uint16x8_t multiple = vbicq_u16(x, k.low);
        over = vcgtq_u16(multiple, k.top);
        e = vsubq_u16(m, vminq_u16(multiple, k.top));
    } else {
        // No cap: x's low t bits less the offset are m less the amplitude's multiple.
        e = vsubq_u16(vandq_u16(x, k.low), k.offset);
    }
    const int16x8_t signedError = vreinterpretq_s16_u16(e);
    square = vmulq_s16(signedError, signedError);
}

// acc + the products of the lanes of x and y, in 32 bits.
inline int32x4_t MultiplyAdd(int32x4_t acc, int16x8_t x, int16x8_t y) {
    return vmlal_high_s16(vmlal_s16(acc, vget_low_s16(x), vget_low_s16(y)), x, y);
}

// The rounding at one shift: amplitudes and their nonzero bits; with Cap also the capped
// positions (bits returned in `capped`). Returns the weighted squared error of each area, one
// per lane.
template <bool Cap>
inline int32x4_t RoundAtShift(const RoundingInput& in, int shift, ShiftRounding& out,
                              uint64_t& capped) {
    const ShiftConstants k = ConstantsAt(shift);
    int16x8_t square[8];
    uint8x16_t nonzero[4], over[4];
    for (int p = 0; p < 4; ++p) {
        uint16x8_t a0, a1, over0, over1;
        RoundVector<Cap>(in.m[2 * p], k, a0, square[2 * p], over0);
        RoundVector<Cap>(in.m[2 * p + 1], k, a1, square[2 * p + 1], over1);
        if constexpr (Cap) over[p] = vcombine_u8(vmovn_u16(over0), vmovn_u16(over1));
        const uint8x16_t packed = vqmovn_high_u16(vqmovn_u16(a0), a1);
        vst1q_u8(out.amplitudes[shift] + 16 * p, packed);
        nonzero[p] = vtstq_u8(packed, packed);
    }
    out.nonzero[shift] = ByteBits(nonzero);
    if constexpr (Cap) capped = ByteBits(over);
    // Each vector's weighted squares into its areas' sums (areas start at 0, 6, 21, 43).
    const int32x4_t zero = vdupq_n_s32(0);
    const int32x4_t area0 = MultiplyAdd(zero, square[0], in.low[0]);
    const int32x4_t area1 =
        MultiplyAdd(MultiplyAdd(MultiplyAdd(zero, square[0], in.high[0]), square[1], in.w[1]),
                    square[2], in.low[1]);
    const int32x4_t area2 = MultiplyAdd(
        MultiplyAdd(MultiplyAdd(MultiplyAdd(zero, square[2], in.high[1]), square[3], in.w[3]),
                    square[4], in.w[4]),
        square[5], in.low[2]);
    const int32x4_t area3 =
        MultiplyAdd(MultiplyAdd(MultiplyAdd(zero, square[5], in.high[2]), square[6], in.w[6]),
                    square[7], in.w[7]);
    return vpaddq_s32(vpaddq_s32(area0, area1), vpaddq_s32(area2, area3));
}

// Shifts s and s + 1 of each area's error (lanes of `first` and `second`) are adjacent.
inline void StoreDistortionPair(int shift, int32x4_t first, int32x4_t second, ShiftRounding& out) {
    const uint32x4_t areas01 = vreinterpretq_u32_s32(vzip1q_s32(first, second));
    const uint32x4_t areas23 = vreinterpretq_u32_s32(vzip2q_s32(first, second));
    vst1_u32(&out.distortion[0][shift], vget_low_u32(areas01));
    vst1_u32(&out.distortion[1][shift], vget_high_u32(areas01));
    vst1_u32(&out.distortion[2][shift], vget_low_u32(areas23));
    vst1_u32(&out.distortion[3][shift], vget_high_u32(areas23));
}

// The quantizer's kernels (quantizer_tmpl.h).
struct Quantizer {
    // 8 words shifted right arithmetically by K.
    template <int K>
    static void Shift8(CoefficientWord* words) {
        int16_t* p = reinterpret_cast<int16_t*>(words);
        vst1q_s16(p, vshrq_n_s16(vld1q_s16(p), K));
    }

    // 8 words of which lanes 0 to kSplit - 1 shift by L and the others by H.
    template <int L, int H, int kSplit>
    static void ShiftSplit8(CoefficientWord* words) {
        int16_t* p = reinterpret_cast<int16_t*>(words);
        const int16x8_t x = vld1q_s16(p);
        vst1q_s16(p, vbslq_s16(LowLanes<kSplit>(), ShiftRight<L>(x), ShiftRight<H>(x)));
    }

    // The positions of the words whose amplitude (low 8 bits) is nonzero: each row's test
    // narrowed to bytes, weighted by bit value and summed in three pairwise steps to one mask
    // byte per row, then listed as every instruction set lists them.
    static void BuildNonzeroList(const CoefficientWord* block, uint8_t* list) {
        static constexpr uint8_t kBitWeights[16] = {1, 2, 4, 8, 16, 32, 64, 128,
                                                    1, 2, 4, 8, 16, 32, 64, 128};
        const uint8x16_t weights = vld1q_u8(kBitWeights);
        const uint16x8_t amplitudeMask = vdupq_n_u16(0xFF);
        uint8x16_t pairs[4];
        for (int i = 0; i < 4; ++i) {
            const uint8x8_t first = vmovn_u16(vtstq_u16(vld1q_u16(block + 16 * i), amplitudeMask));
            const uint8x8_t second =
                vmovn_u16(vtstq_u16(vld1q_u16(block + 16 * i + 8), amplitudeMask));
            pairs[i] = vandq_u8(vcombine_u8(first, second), weights);
        }
        const uint8x16_t quarters =
            vpaddq_u8(vpaddq_u8(pairs[0], pairs[1]), vpaddq_u8(pairs[2], pairs[3]));
        const uint8x16_t rows = vpaddq_u8(quarters, quarters);
        WriteNonzeroList(vgetq_lane_u64(vreinterpretq_u64_u8(rows), 0), list);
    }

    static void RoundAtShifts(const uint16_t* magnitudes, const int16_t* weights,
                              ShiftRounding& out) {
        static_assert(kShiftCount % 2 == 0, "pairs of shifts");
        RoundingInput in;
        LoadRoundingInput(magnitudes, weights, in);
        uint16x8_t high = in.m[0];
        for (int v = 1; v < 8; ++v) high = vmaxq_u16(high, in.m[v]);
        // Blocks with a magnitude that rounds above 255 are rare: they alone take the capping.
        int first = 0;
        out.capped = 0;
        if (vmaxvq_u16(high) > kCapFree) {
            static_assert(kCappedShifts == 2, "one pair of shifts with the cap");
            uint64_t unused;
            StoreDistortionPair(0, RoundAtShift<true>(in, 0, out, out.capped),
                                RoundAtShift<true>(in, 1, out, unused), out);
            first = kCappedShifts;
        }
        // A loop, not straight-line code: each shift's work then stays in registers.
        for (int shift = first; shift < kShiftCount; shift += 2) {
            uint64_t none;
            const int32x4_t even = RoundAtShift<false>(in, shift, out, none);
            StoreDistortionPair(shift, even, RoundAtShift<false>(in, shift + 1, out, none), out);
        }
    }
};

}  // namespace

void SetQuantizerKernels_NEON(QuantizerKernels& kernels) {
    SetQuantizerKernels<Quantizer>(kernels);
}

}  // namespace encdv
