// The quantizer's kernels in NEON: straight-line shifts of whole 8-word rows.
#include <arm_neon.h>

#include "coding/nonzero_list.h"
#include "coding/quantizer.h"

namespace encdv {
namespace {

// 8 words shifted right arithmetically by K; a count of 0 emits nothing.
template <int K>
inline void Shift8(CoefficientWord* words) {
    if constexpr (K != 0) {
        int16_t* p = reinterpret_cast<int16_t*>(words);
        vst1q_s16(p, vshrq_n_s16(vld1q_s16(p), K));
    }
}

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

// 8 words of which lanes 0 to kSplit - 1 shift by L and the others by H.
template <int L, int H, int kSplit>
inline void ShiftSplit8(CoefficientWord* words) {
    static_assert(kSplit > 0 && kSplit < 8, "the split falls inside the row");
    if constexpr (L == H) {
        Shift8<L>(words);
    } else {
        int16_t* p = reinterpret_cast<int16_t*>(words);
        const int16x8_t x = vld1q_s16(p);
        vst1q_s16(p, vbslq_s16(LowLanes<kSplit>(), ShiftRight<L>(x), ShiftRight<H>(x)));
    }
}

// Area boundaries fall inside rows 0 (5/6), 2 (20/21) and 5 (42/43) of the eight 8-word
// rows; the other rows lie wholly in one area.
template <int A0, int A1, int A2, int A3>
void QuantizeWithPattern(CoefficientWord* b) {
    ShiftSplit8<A0, A1, 6>(b);
    Shift8<A1>(b + 8);
    ShiftSplit8<A1, A2, 5>(b + 16);
    Shift8<A2>(b + 24);
    Shift8<A2>(b + 32);
    ShiftSplit8<A2, A3, 3>(b + 40);
    Shift8<A3>(b + 48);
    Shift8<A3>(b + 56);
}

// One more bit of shift over a single area (positions 0-5, 6-20, 21-42, 43-63).
void ShiftArea0(CoefficientWord* b) {
    ShiftSplit8<1, 0, 6>(b);
}

void ShiftArea1(CoefficientWord* b) {
    ShiftSplit8<0, 1, 6>(b);
    Shift8<1>(b + 8);
    ShiftSplit8<1, 0, 5>(b + 16);
}

void ShiftArea2(CoefficientWord* b) {
    ShiftSplit8<0, 1, 5>(b + 16);
    Shift8<1>(b + 24);
    Shift8<1>(b + 32);
    ShiftSplit8<1, 0, 3>(b + 40);
}

void ShiftArea3(CoefficientWord* b) {
    ShiftSplit8<0, 1, 3>(b + 40);
    Shift8<1>(b + 48);
    Shift8<1>(b + 56);
}

// Entry i carries the counts of QuantPattern row i.
constexpr QuantizeBlockFunction kQuantizeWithPattern[kQuantPatternCount] = {
    QuantizeWithPattern<0, 0, 0, 0>, QuantizeWithPattern<0, 0, 0, 1>,
    QuantizeWithPattern<0, 0, 1, 1>, QuantizeWithPattern<0, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 1, 1>, QuantizeWithPattern<1, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 2, 2>, QuantizeWithPattern<1, 2, 2, 3>,
    QuantizeWithPattern<2, 2, 3, 3>, QuantizeWithPattern<2, 3, 3, 4>,
    QuantizeWithPattern<3, 3, 4, 4>, QuantizeWithPattern<3, 4, 4, 5>,
    QuantizeWithPattern<4, 4, 5, 5>,
};

// The positions of the words whose amplitude (low 8 bits) is nonzero: each row's test
// narrowed to bytes, weighted by bit value and summed in three pairwise steps to one mask
// byte per row, then listed as every instruction set lists them.
void BuildNonzeroList(const CoefficientWord* block, uint8_t* list) {
    static constexpr uint8_t kBitWeights[16] = {1, 2, 4, 8, 16, 32, 64, 128,
                                                1, 2, 4, 8, 16, 32, 64, 128};
    const uint8x16_t weights = vld1q_u8(kBitWeights);
    const uint16x8_t amplitudeMask = vdupq_n_u16(0xFF);
    uint8x16_t pairs[4];
    for (int i = 0; i < 4; ++i) {
        const uint8x8_t first = vmovn_u16(vtstq_u16(vld1q_u16(block + 16 * i), amplitudeMask));
        const uint8x8_t second = vmovn_u16(vtstq_u16(vld1q_u16(block + 16 * i + 8), amplitudeMask));
        pairs[i] = vandq_u8(vcombine_u8(first, second), weights);
    }
    const uint8x16_t quarters =
        vpaddq_u8(vpaddq_u8(pairs[0], pairs[1]), vpaddq_u8(pairs[2], pairs[3]));
    const uint8x16_t rows = vpaddq_u8(quarters, quarters);
    WriteNonzeroList(vgetq_lane_u64(vreinterpretq_u64_u8(rows), 0), list);
}

// One bit per lane set in a mask of eight 16-bit lanes, lane 0 lowest.
inline uint64_t LaneBits(uint16x8_t mask) {
    static constexpr uint8_t kBitWeights[8] = {1, 2, 4, 8, 16, 32, 64, 128};
    return vaddv_u8(vand_u8(vmovn_u16(mask), vld1_u8(kBitWeights)));
}

// -1 in the lanes of each 8-position vector that belong to an area.
struct AreaLanes {
    alignas(16) int16_t lanes[kAreaCount][8][8];
};
constexpr AreaLanes MakeAreaLanes() {
    AreaLanes masks{};
    for (int a = 0; a < kAreaCount; ++a) {
        for (int k = kAreaStart[a]; k < kAreaStart[a + 1]; ++k) masks.lanes[a][k / 8][k % 8] = -1;
    }
    return masks;
}
constexpr AreaLanes kAreaLanes = MakeAreaLanes();

void RoundAtShifts(const uint16_t* magnitudes, const int16_t* weights, ShiftRounding& out) {
    uint16x8_t m[8];
    int16x8_t w[8];
    for (int v = 0; v < 8; ++v) {
        m[v] = vld1q_u16(magnitudes + 8 * v);
        w[v] = vld1q_s16(weights + 8 * v);
    }
    const uint16x8_t cap = vdupq_n_u16(255);
    out.capped = 0;
    for (int s = 0; s < kShiftCount; ++s) {
        const int t = s + kFineFractionBits;
        const int16x8_t right = vdupq_n_s16(static_cast<int16_t>(-t));
        const int16x8_t left = vdupq_n_s16(static_cast<int16_t>(t));
        const uint16x8_t offset = vdupq_n_u16(static_cast<uint16_t>((1 << (t - 1)) - 1));
        int32x4_t sums[kAreaCount] = {vdupq_n_s32(0), vdupq_n_s32(0), vdupq_n_s32(0),
                                      vdupq_n_s32(0)};
        uint64_t nonzero = 0;
        for (int v = 0; v < 8; ++v) {
            const uint16x8_t rounded = vshlq_u16(vqaddq_u16(m[v], offset), right);
            if (s == 0) out.capped |= LaneBits(vcgtq_u16(rounded, cap)) << (8 * v);
            const uint16x8_t amplitude = vminq_u16(rounded, cap);
            vst1_u8(out.amplitudes[s] + 8 * v, vmovn_u16(amplitude));
            nonzero |= LaneBits(vtstq_u16(amplitude, amplitude)) << (8 * v);
            // e and e^2 wrap in 16-bit lanes, as the other kernels keep them.
            const int16x8_t e = vsubq_s16(vreinterpretq_s16_u16(m[v]),
                                          vshlq_s16(vreinterpretq_s16_u16(amplitude), left));
            const int16x8_t square = vmulq_s16(e, e);
            // Each lane's weighted square goes to its position's area.
            for (int a = 0; a < kAreaCount; ++a) {
                if (kAreaStart[a] >= 8 * v + 8 || kAreaStart[a + 1] <= 8 * v) continue;
                const int16x8_t areaWeights = vandq_s16(w[v], vld1q_s16(kAreaLanes.lanes[a][v]));
                sums[a] = vmlal_s16(sums[a], vget_low_s16(square), vget_low_s16(areaWeights));
                sums[a] = vmlal_high_s16(sums[a], square, areaWeights);
            }
        }
        out.nonzero[s] = nonzero;
        for (int a = 0; a < kAreaCount; ++a) {
            out.distortion[a][s] = static_cast<uint32_t>(vaddvq_s32(sums[a]));
        }
    }
}

}  // namespace

void SetQuantizerKernels_NEON(QuantizerKernels& kernels) {
    for (int pattern = 0; pattern < kQuantPatternCount; ++pattern) {
        kernels.quantize[pattern] = kQuantizeWithPattern[pattern];
    }
    kernels.shiftArea[0] = ShiftArea0;
    kernels.shiftArea[1] = ShiftArea1;
    kernels.shiftArea[2] = ShiftArea2;
    kernels.shiftArea[3] = ShiftArea3;
    kernels.buildNonzeroList = BuildNonzeroList;
    kernels.roundAtShifts = RoundAtShifts;
}

}  // namespace encdv
