// The best-quality search's kernels in plain integers: the reference for the vector versions.
#include "coding/rd_kernels.h"

#include "common/macroblock_pixels.h"

namespace encdv {
namespace {

inline int64_t Least(int64_t a, int64_t b) {
    return b < a ? b : a;
}

// GCC turns the 64-bit products of the costs into emulated vector products (three 32-bit
// products and the shuffles around them for every pair), which take longer than scalar ones.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-vectorize")))
#endif
void MacroblockCosts(const int64_t (*scaledError)[kQuantPatternCount],
                     const int32_t (*costRate)[kQuantPatternCount], uint64_t lambda,
                     int64_t (*cost)[kQuantPatternCount], int64_t* qnoCost) {
    int64_t sum[kQnoCount] = {};
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        int64_t* c = cost[b];
        for (int p = 0; p < kQuantPatternCount; ++p) {
            c[p] = scaledError[b][p] + static_cast<int64_t>(lambda) * costRate[b][p];
        }
        // Each QNO's cost with the block at its cheapest class.
#if defined(__GNUC__)
#pragma GCC unroll 16
#endif
        for (int q = 0; q < kQnoCount; ++q) {
            const uint8_t* classes = kClassPatterns.pattern[q];
            sum[q] +=
                Least(Least(c[classes[0]], c[classes[1]]), Least(c[classes[2]], c[classes[3]]));
        }
    }
    for (int q = 0; q < kQnoCount; ++q) qnoCost[q] = sum[q];
}

void PatternSums(const int32_t (*areaBits)[kShiftCount], const uint32_t (*areaError)[kShiftCount],
                 int32_t* rate, uint32_t* error) {
    constexpr int32_t kUncodable = 1 << 20;
    for (int p = 0; p < kQuantPatternCount; ++p) {
        const uint8_t* shifts = QuantPattern[p];
        const int32_t bits = 4 + areaBits[0][shifts[0]] + areaBits[1][shifts[1]] +
                             areaBits[2][shifts[2]] + areaBits[3][shifts[3]];
        const uint32_t sum = areaError[0][shifts[0]] + areaError[1][shifts[1]] +
                             areaError[2][shifts[2]] + areaError[3][shifts[3]];
        const bool valid = bits < kUncodable;
        rate[p] = valid ? bits : kInvalidRate;
        error[p] = valid ? sum : 0xFFFFFFFFu;
    }
}

int32_t WholeBits(const uint16_t* magnitudes) {
    // The bit length as a count of powers of two at or below the whole part, in 16-bit sums (at
    // most 64 x 10), so that compilers turn the loop into vector compares.
    int16_t bits = 0;
    for (int k = 0; k < 64; ++k) {
        const int16_t whole = static_cast<int16_t>(magnitudes[k] >> kRdFractionBits);
        int16_t length = static_cast<int16_t>(2 * (whole > 0));
        for (int i = 1; i < 9; ++i) {
            length = static_cast<int16_t>(length + (whole > (1 << i) - 1));
        }
        bits = static_cast<int16_t>(bits + length);
    }
    return bits;
}

}  // namespace

void SetRdKernels_C(RdKernels& kernels) {
    kernels.macroblockCosts = MacroblockCosts;
    kernels.patternSums = PatternSums;
    kernels.wholeBits = WholeBits;
}

}  // namespace encdv
