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

// The patterns' sums of area figures: bits below 2^11 with some areas uncodable at shift 0
// (2^20), errors over the whole 32-bit range, so that sums wrap.
TEST(RdKernels, PatternSumsMatchTheirPortableTwin) {
    const RdKernels twin = Kernels(0);
    std::mt19937 random(test::PrintedSeed("PatternSums", 0x5eed4204));
    for (const test::KernelFeatures& set : test::VectorKernelFeatures()) {
        const RdKernels kernel = Kernels(set.features);
        if (kernel.patternSums == twin.patternSums) continue;
        SCOPED_TRACE(set.name);
        for (int i = 0; i < 20000; ++i) {
            int32_t bits[kAreaCount][kShiftCount];
            uint32_t errors[kAreaCount][kShiftCount];
            for (int a = 0; a < kAreaCount; ++a) {
                for (int s = 0; s < kShiftCount; ++s) {
                    bits[a][s] = static_cast<int32_t>(random() % 2048);
                    errors[a][s] = i % 2 ? random() : random() % 100000;
                }
                if (random() % 8 == 0) bits[a][0] = 1 << 20;
            }
            int32_t kernelRate[kQuantPatternCount], twinRate[kQuantPatternCount];
            uint32_t kernelError[kQuantPatternCount], twinError[kQuantPatternCount];
            kernel.patternSums(bits, errors, kernelRate, kernelError);
            twin.patternSums(bits, errors, twinRate, twinError);
            ASSERT_TRUE(test::SameWords(kernelRate, twinRate, kQuantPatternCount)) << "case " << i;
            ASSERT_TRUE(test::SameWords(kernelError, twinError, kQuantPatternCount))
                << "case " << i;
        }
    }
}

// The code-size guess over magnitudes of every kind: any 16-bit value, below 4096, sparse, and
// around the whole parts 255 and 256; 64 magnitudes of 8 (whole part 1) give 2 bits each.
TEST(RdKernels, WholeBitsMatchTheirPortableTwin) {
    const RdKernels twin = Kernels(0);
    alignas(16) uint16_t ones[64];
    for (uint16_t& m : ones) m = 8;
    EXPECT_EQ(twin.wholeBits(ones), 128);
    std::mt19937 random(test::PrintedSeed("WholeBits", 0x5eed4205));
    for (const test::KernelFeatures& set : test::VectorKernelFeatures()) {
        const RdKernels kernel = Kernels(set.features);
        if (kernel.wholeBits == twin.wholeBits) continue;
        SCOPED_TRACE(set.name);
        for (int i = 0; i < 50000; ++i) {
            alignas(16) uint16_t magnitudes[64];
            for (uint16_t& m : magnitudes) {
                const uint32_t r = random();
                m = static_cast<uint16_t>(i % 4 == 0   ? r
                                          : i % 4 == 1 ? r % 4096
                                          : i % 4 == 2 ? (r % 8 == 0 ? r % 4096 : 0)
                                                       : 2032 + r % 32);
            }
            ASSERT_EQ(kernel.wholeBits(magnitudes), twin.wholeBits(magnitudes)) << "case " << i;
        }
    }
}

}  // namespace
}  // namespace encdv
