// The best-quality search's kernels of each instruction set against their portable twins.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "coding/rd_kernels.h"
#include "coding/rd_tables.h"
#include "common/macroblock_pixels.h"
#include "support/kernel_check.h"
#include "support/kernel_features.h"

namespace encdv {
namespace {

RdKernels Kernels(uint32_t features) {
    RdKernels kernels;
    InitRdKernels(features, kernels);
    return kernels;
}

// A macroblock's terms as the search prepares them: errors up to 2^48 (the error of an
// invalid pattern 2^60, with no bits), bits up to the longest block, often equal from
// pattern to pattern so that classes tie.
struct Terms {
    int64_t error[kBlocksPerMacroblock][kQuantPatternCount];
    int32_t rate[kBlocksPerMacroblock][kQuantPatternCount];
};

Terms RandomTerms(std::mt19937_64& random) {
    Terms t;
    const int64_t errorRange = int64_t{1} << (random() % 48 + 1);
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        for (int p = 0; p < kQuantPatternCount; ++p) {
            const uint64_t r = random();
            const bool invalid = r % 16 == 0;
            const bool same = p > 0 && r % 4 == 1;
            t.error[b][p] = invalid ? int64_t{1} << 60
                            : same  ? t.error[b][p - 1]
                                    : static_cast<int64_t>((r >> 8) % errorRange);
            t.rate[b][p] = invalid ? 0
                           : same  ? t.rate[b][p - 1]
                                   : static_cast<int32_t>((r >> 40) % 1100);
        }
    }
    return t;
}

TEST(RdKernels, MacroblockCostsMatchTheirPortableTwin) {
    const RdKernels twin = Kernels(0);
    std::mt19937_64 random(test::PrintedSeed("RdKernels", 0x5eed4203));
    std::vector<Terms> cases;
    for (int i = 0; i < 20000; ++i) cases.push_back(RandomTerms(random));
    for (const test::KernelFeatures& set : test::VectorKernelFeatures()) {
        const RdKernels kernel = Kernels(set.features);
        if (kernel.macroblockCosts == twin.macroblockCosts) continue;  // no kernel of this set
        SCOPED_TRACE(set.name);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const uint64_t lambda = LambdaAt(static_cast<int>(i % kLambdaSteps));
            int64_t kernelCost[kBlocksPerMacroblock][kQuantPatternCount],
                twinCost[kBlocksPerMacroblock][kQuantPatternCount];
            int64_t kernelSum[kQnoCount], twinSum[kQnoCount];
            kernel.macroblockCosts(cases[i].error, cases[i].rate, lambda, kernelCost, kernelSum);
            twin.macroblockCosts(cases[i].error, cases[i].rate, lambda, twinCost, twinSum);
            ASSERT_TRUE(test::SameWords(&kernelCost[0][0], &twinCost[0][0],
                                        kBlocksPerMacroblock * kQuantPatternCount))
                << "costs, case " << i;
            ASSERT_TRUE(test::SameWords(kernelSum, twinSum, kQnoCount)) << "QNO costs, case " << i;
        }
    }
}

}  // namespace
}  // namespace encdv
