// The 4:1:1 chroma filters, vector and portable, against their twins.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "input/input_kernels.h"
#include "reader_fixture.h"
#include "reader_twins.h"
#include "support/kernel_check.h"

namespace encdv::test {
namespace {

// The filters this processor runs and their portable versions.
std::vector<InputKernels> KernelSets() {
    std::vector<InputKernels> sets(2);
    sets[0] = GetInputKernels();
    InitInputKernels(0, sets[1]);
    return sets;
}

TEST(ChromaFilters, MatchTwinOnRandomAndAdversarialLines) {
    std::mt19937 random(PrintedSeed("ChromaFilters", kSeed));
    constexpr int kLead = 8;
    const std::vector<InputKernels> sets = KernelSets();
    // A build with vector kernels runs them here; otherwise the twin would meet itself.
    if (ENC_DV_SSE2_KERNELS || ENC_DV_NEON_KERNELS) {
        ASSERT_NE(sets[0].chromaFilters.filter4to1, sets[1].chromaFilters.filter4to1);
    }
    for (int trial = 0; trial < 100000; ++trial) {
        std::vector<uint8_t> samples(kLead + 40);
        const int pattern = trial % 4;
        for (size_t i = 0; i < samples.size(); ++i) {
            const uint8_t r = uint8_t(random());
            samples[i] = pattern == 0   ? r
                         : pattern == 1 ? (r & 1) * 255  // alternating extremes
                         : pattern == 2 ? (r < 16 ? 255 : 0)
                                        : 255 - (r & 7);
        }
        const uint8_t* line = samples.data() + kLead;
        uint8_t full[8], half[8], fullTwin[8], halfTwin[8];
        for (int k = 0; k < 8; ++k) {
            fullTwin[k] = static_cast<uint8_t>(twin::ChromaFilter4to1(line, 4 * k));
            halfTwin[k] = static_cast<uint8_t>(twin::ChromaFilter2to1(line, 2 * k));
        }
        for (const InputKernels& kernels : sets) {
            kernels.chromaFilters.filter4to1(line, full);
            kernels.chromaFilters.filter2to1(line, half);
            ASSERT_TRUE(SameWords(full, fullTwin, 8)) << "4:1 trial " << trial;
            ASSERT_TRUE(SameWords(half, halfTwin, 8)) << "2:1 trial " << trial;
        }
    }
}

// The rounding terms 30 and 2 never carry a constant line over to the next value.
TEST(ChromaFilters, ConstantLinesPassUnchanged) {
    for (int v = 0; v < 256; ++v) {
        const std::vector<uint8_t> samples(48, uint8_t(v));
        for (const InputKernels& kernels : KernelSets()) {
            uint8_t full[8], half[8];
            kernels.chromaFilters.filter4to1(samples.data() + 8, full);
            kernels.chromaFilters.filter2to1(samples.data() + 8, half);
            for (int k = 0; k < 8; ++k) {
                ASSERT_EQ(full[k], v);
                ASSERT_EQ(half[k], v);
            }
        }
    }
}

}  // namespace
}  // namespace encdv::test
