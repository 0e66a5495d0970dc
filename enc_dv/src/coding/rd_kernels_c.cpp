// The best-quality search's kernels in plain integers: the reference for the vector versions.
#include "coding/rd_kernels.h"

#include "common/macroblock_pixels.h"

namespace encdv {
namespace {

// The step patterns of the four classes at each QNO (QuantPatternIndex by QNO), as constants
// for the unrolled loop below.
struct ClassPatterns {
    uint8_t pattern[kQnoCount][kClassCount];
};
constexpr ClassPatterns MakeClassPatterns() {
    ClassPatterns table{};
    for (int q = 0; q < kQnoCount; ++q) {
        for (int c = 0; c < kClassCount; ++c) table.pattern[q][c] = QuantPatternIndex[c][q];
    }
    return table;
}
constexpr ClassPatterns kClassPatterns = MakeClassPatterns();

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

}  // namespace

void SetRdKernels_C(RdKernels& kernels) {
    kernels.macroblockCosts = MacroblockCosts;
}

}  // namespace encdv
