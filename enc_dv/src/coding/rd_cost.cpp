#include "coding/rd_cost.h"

#include <cstdint>

#include "coding/rd_kernels.h"

namespace encdv {
namespace {

// Above every cost a valid pattern can have (2^48 from the error, 2^58 from the bits).
constexpr int64_t kInvalidCost = int64_t{1} << 60;

}  // namespace

int64_t LeastCost(const BlockRd& rd, uint64_t lambda) {
    int64_t least = INT64_MAX;
    for (int p = 0; p < kQuantPatternCount; ++p) {
        if (rd.rate[p] == kInvalidRate) continue;
        const int64_t cost = (static_cast<int64_t>(rd.distortion[p]) << 16) +
                             static_cast<int64_t>(lambda) * rd.rate[p];
        least = cost < least ? cost : least;
    }
    return least;
}

void PrepareCostTerms(RdSegmentWork& work) {
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        BlockRd& rd = work.blocks[j];
        if (j % kBlocksPerMacroblock >= kBlockCr) {
            for (int p = 0; p < kQuantPatternCount; ++p) {
                if (rd.rate[p] != kInvalidRate) {
                    rd.distortion[p] =
                        (rd.distortion[p] >> 4) * static_cast<uint32_t>(kChromaWeight);
                }
            }
        }
        // The terms without a branch: an invalid pattern's error alone exceeds any cost.
        for (int p = 0; p < kQuantPatternCount; ++p) {
            const bool valid = rd.rate[p] != kInvalidRate;
            work.scaledError[j][p] =
                valid ? static_cast<int64_t>(rd.distortion[p]) << 16 : kInvalidCost;
            work.costRate[j][p] = valid ? rd.rate[p] : 0;
        }
    }
}

int32_t ChooseAt(const RdSegmentWork& work, uint64_t lambda, SegmentChoice& choice) {
    int32_t total = 0;
    const MacroblockCostsFunction macroblockCosts = GetRdKernels().macroblockCosts;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        // Each pattern's cost of every block, and each QNO's with every block at its cheapest
        // class.
        int64_t cost[kBlocksPerMacroblock][kQuantPatternCount];
        int64_t sum[kQnoCount];
        macroblockCosts(work.scaledError + kBlocksPerMacroblock * k,
                        work.costRate + kBlocksPerMacroblock * k, lambda, cost, sum);
        // Least cost, the finer QNO on a tie; kept in registers so that the comparisons can
        // become conditional moves (the data predict no branch).
        int bestQno = kQnoCount - 1;
        int64_t least = sum[kQnoCount - 1];
        for (int q = kQnoCount - 2; q >= 0; --q) {
            const bool lower = sum[q] < least;
            least = lower ? sum[q] : least;
            bestQno = lower ? q : bestQno;
        }
        choice.qno[k] = bestQno;
        int32_t bits = 0;
        const uint8_t* classes = kClassPatterns.pattern[bestQno];
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int64_t* c = cost[b];
            int bestClass = 0;
            int64_t leastCost = c[classes[0]];
            for (int cls = 1; cls < kClassCount; ++cls) {
                const int64_t x = c[classes[cls]];
                const bool lower = x < leastCost;
                leastCost = lower ? x : leastCost;
                bestClass = lower ? cls : bestClass;
            }
            const int j = kBlocksPerMacroblock * k + b;
            choice.classNumber[j] = static_cast<uint8_t>(bestClass);
            bits += work.blocks[j].rate[classes[bestClass]];
        }
        choice.macroblockBits[k] = bits;
        total += bits;
    }
    choice.bits = total;
    return total;
}

}  // namespace encdv
