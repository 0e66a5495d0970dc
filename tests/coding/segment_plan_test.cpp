// The segment coder copies the block codes that the sequential quantization selection stored
// while counting, and codes the others itself. Which it does may not change a byte: every
// segment is coded with the stored codes and again with them dropped.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "coding/quant_selection.h"
#include "coding/segment_coder.h"
#include "transform/macroblock_transform.h"

namespace encdv {
namespace {

struct Segment {
    SegmentWork work{};

    Segment() {
        for (MacroblockWork& mb : work.macroblocks) PrepareMacroblockWork(mb);
    }

    // Unquantized blocks as the transform leaves them: sign-magnitude words below 512 at
    // random positions, with the measures the selection starts from.
    void Fill(std::mt19937& random, unsigned density, unsigned magnitudeBits) {
        for (MacroblockWork& mb : work.macroblocks) {
            mb.qno = 15;
            mb.sta = 0;
            for (BlockWork& block : mb.blocks) {
                block.dc = static_cast<int>(random() % 511) - 256;
                block.dctMode = random() & 1;
                std::memset(block.coefficients, 0, 64 * sizeof(CoefficientWord));
                for (int q = 1; q < 64; ++q) {
                    if (random() % 64 >= density) continue;
                    const unsigned magnitude = random() % (1u << magnitudeBits);
                    block.coefficients[q] =
                        static_cast<CoefficientWord>(magnitude | ((random() & 1) ? kSignBit : 0));
                }
                const uint32_t activity = MeasureAc(block.coefficients);
                block.sumAc = static_cast<int32_t>(activity >> 16);
                block.maxAc = static_cast<int32_t>(activity & 0xFFFF);
            }
        }
    }

    std::vector<uint8_t> Code() {
        SegmentData coded;
        std::memset(&coded, 0xA5, sizeof coded);
        CodeSegment(work, coded);
        std::vector<uint8_t> out(coded.staQno, coded.staQno + kMacroblocksPerSegment);
        out.insert(out.end(), coded.data, coded.data + kMacroblocksPerSegment * kVideoDataBytes);
        return out;
    }

    int TotalCodeBits() const {
        int total = 0;
        for (const MacroblockWork& mb : work.macroblocks) total += 6 * 12 + mb.totalBits;
        return total;
    }
};

TEST(CodeSegment, StoredAndFreshlyCodedBlocksGiveTheSameBytes) {
    const unsigned seed = 0x5E6A11;
    std::printf("CodeSegment plan seed %u\n", seed);
    std::mt19937 random(seed);
    int overBudget = 0;
    for (int trial = 0; trial < 600; ++trial) {
        SCOPED_TRACE(trial);
        auto s = std::make_unique<Segment>();
        s->Fill(random, 1 + random() % 64, 1 + random() % 9);
        SelectQuantization(s->work.macroblocks, RateControl::kSequential);
        if (s->TotalCodeBits() > 3040) ++overBudget;
        const std::vector<uint8_t> stored = s->Code();
        for (MacroblockWork& mb : s->work.macroblocks) mb.codedBlocks = 0;
        ASSERT_EQ(stored, s->Code());
    }
    EXPECT_GT(overBudget, 100);  // segments that drop overflow were among them
}

TEST(SelectQuantization, OnePassModeMarksItsLengthsUncounted) {
    std::mt19937 random(5);
    auto s = std::make_unique<Segment>();
    s->Fill(random, 32, 8);
    SelectQuantization(s->work.macroblocks, RateControl::kOnePass);
    for (const MacroblockWork& mb : s->work.macroblocks) EXPECT_EQ(mb.totalBits, -1);
}

}  // namespace
}  // namespace encdv
