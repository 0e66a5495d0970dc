// The 4:1:1 chroma filters against their scalar twins.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "input/chroma_filters.h"
#include "reader_fixture.h"
#include "scalar_kernels.h"

namespace encdv::test {
namespace {

TEST(ChromaFilters, MatchTwinOnRandomAndAdversarialLines) {
    std::printf("seed %u\n", kSeed);
    std::mt19937 random(kSeed);
    constexpr int kLead = 8;
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
        uint8_t full[8], half[8];
        ChromaFilter4to1(line, full);
        ChromaFilter2to1(line, half);
        for (int k = 0; k < 8; ++k) {
            ASSERT_EQ(full[k], twin::ChromaFilter4to1(line, 4 * k)) << "trial " << trial;
            ASSERT_EQ(half[k], twin::ChromaFilter2to1(line, 2 * k)) << "trial " << trial;
        }
    }
}

// The rounding terms 30 and 2 never carry a constant line over to the next value.
TEST(ChromaFilters, ConstantLinesPassUnchanged) {
    for (int v = 0; v < 256; ++v) {
        const std::vector<uint8_t> samples(48, uint8_t(v));
        uint8_t full[8], half[8];
        ChromaFilter4to1(samples.data() + 8, full);
        ChromaFilter2to1(samples.data() + 8, half);
        for (int k = 0; k < 8; ++k) {
            ASSERT_EQ(full[k], v);
            ASSERT_EQ(half[k], v);
        }
    }
}

}  // namespace
}  // namespace encdv::test
