#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "coding/bit_estimate_table.h"
#include "coding/block_bits.h"
#include "coding/quant_selection.h"
#include "coding/quant_tables.h"
#include "quant_twins.h"

namespace encdv {
namespace {

using test::CoefficientBlock;

constexpr uint32_t kSeed = 0x5eed4202;

TEST(BitEstimateTable, HoldsThirteenPatternsAndItsAnchorFacts) {
    static_assert(sizeof(BitEstimateTable) == 13 * 4 * 32, "13 x 4 x 32 one-byte entries");
    // An all-zero block (shape 0, activity 0): 9 bits with pattern 0, 1 bit with 4 to 12.
    EXPECT_EQ(EstimateValue(BitEstimateTable[0][0][0]), 9u);
    for (int p = 4; p < 13; ++p) EXPECT_EQ(EstimateValue(BitEstimateTable[p][0][0]), 1u) << p;
    // Every estimate is at least 1 (so every weight of twelve lookups is at least 12) and
    // small enough that sums over a segment cannot overflow.
    for (const auto& pattern : BitEstimateTable) {
        for (const auto& row : pattern) {
            for (const uint8_t v : row) {
                EXPECT_GE(EstimateValue(v), 1u);
                EXPECT_LE(EstimateValue(v), 1u << 16);
            }
        }
    }
}

TEST(BitEstimateTable, EstimateLog8IsEightTimesLog2) {
    EXPECT_EQ(EstimateLog8[1], 1);
    for (int x = 2; x < 32; ++x) {
        EXPECT_EQ(EstimateLog8[x], static_cast<int>(std::floor(8 * std::log2(x) + 1e-9))) << x;
    }
}

TEST(BitEstimateTable, EstimateValueDecodesMantissaAndExponent) {
    const struct {
        uint32_t byte, value;
    } cases[] = {{0, 1}, {1, 1}, {7, 7}, {8, 2}, {13, 3}, {16, 4}, {26, 9}, {101, 6144}};
    for (const auto& c : cases) EXPECT_EQ(EstimateValue(c.byte), c.value) << c.byte;
}

TEST(BlockModel, ClassBoundaries) {
    const struct {
        int block, maxAc, cls;
    } cases[] = {{0, 0, 0},   {1, 23, 0},  {2, 24, 1},   {3, 35, 1}, {0, 36, 2},
                 {1, 255, 2}, {2, 256, 3}, {3, 2047, 3}, {4, 0, 1},  {5, 4, 1},
                 {4, 5, 2},   {5, 11, 2},  {4, 12, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(BlockClass(c.block, c.maxAc), c.cls) << c.block << " " << c.maxAc;
    }
}

TEST(BlockModel, ShapeAndActivityIndex) {
    const struct {
        int maxAc, sumAc, shape;
    } shapes[] = {{0, 0, 0}, {2, 5, 1}, {3, 11, 2}, {0, 10, 3}, {2000, 100, 3 /* wrapped sum */}};
    for (const auto& c : shapes) EXPECT_EQ(BlockShape(c.maxAc, c.sumAc), c.shape) << c.sumAc;

    const struct {
        int sumAc, index;
    } indices[] = {{0, 0}, {1, 0}, {31, 10}, {32, 10}, {512, 18}, {8192, 26}, {65535, 31}};
    for (const auto& c : indices) EXPECT_EQ(ActivityIndex(c.sumAc), c.index) << c.sumAc;
    for (int s = 1; s < 65536; ++s) {
        ASSERT_NEAR(ActivityIndex(s), std::min(31.0, 2 * std::log2(s)), 1.0) << s;
    }
}

// Every measure pair the transform can deliver (16-bit values) against the definitions: the
// shape as a capped unsigned quotient, the index by the halving steps written out.
TEST(BlockModel, ShapeAndActivityIndexMatchTheirDefinitionsEverywhere) {
    for (uint32_t maxAc = 0; maxAc < 65536; maxAc += (maxAc < 2048 ? 1 : 997)) {
        for (uint32_t sumAc = 0; sumAc < 65536; sumAc += 1 + (maxAc % 13)) {
            const uint32_t quotient = (sumAc - maxAc) / (maxAc + 1);
            ASSERT_EQ(BlockShape(static_cast<int32_t>(maxAc), static_cast<int32_t>(sumAc)),
                      static_cast<int>(std::min(quotient, 3u)))
                << maxAc << " " << sumAc;
        }
    }
    for (uint32_t sumAc = 0; sumAc < 65536; ++sumAc) {
        uint32_t x = sumAc, g = 0;
        if (x > 8191) x >>= 8, g += 64;
        if (x > 511) x >>= 4, g += 32;
        while (x > 31) x >>= 1, g += 8;
        const uint32_t index = std::min((EstimateLog8[x] + g + 2) >> 2, 31u);
        ASSERT_EQ(ActivityIndex(static_cast<int32_t>(sumAc)), static_cast<int>(index)) << sumAc;
    }
}

// Quantized blocks of every kind: sparse and dense, amplitudes 1-255 around the direct-code
// limits, negative words whose bits 8-14 carry the sign copies a shift leaves.
TEST(BlockBits, ListAndCountsMatchTwinRecountFromTheCodeTables) {
    std::printf("block bits random seed 0x%08x\n", kSeed);
    std::mt19937 rng(kSeed);
    for (int i = 0; i < 3000; ++i) {
        const int density = 1 + i % 8;
        const int maxMagnitude[3] = {511, 255, 24};
        const int shift = i % 3 == 0 ? 1 + static_cast<int>(rng() % 2)
                                     : static_cast<int>(rng() % 2) * (i % 3 - 1);
        CoefficientBlock block;
        block.w[0] = 0;
        for (int k = 1; k < 64; ++k) {
            const bool present = static_cast<int>(rng() % 8) < density;
            const int magnitude = present ? 1 + static_cast<int>(rng() % maxMagnitude[i % 3]) : 0;
            const uint16_t word = static_cast<uint16_t>(magnitude | ((rng() & 1) << 15));
            block.w[k] = static_cast<uint16_t>(static_cast<int16_t>(word) >> shift);
        }
        uint8_t list[64];
        BuildNonzeroList(block.w, list);
        const std::vector<uint8_t> expected = twin::NonzeroList(block.w);
        ASSERT_EQ(std::vector<uint8_t>(list, list + expected.size() + 1), [&] {
            auto v = expected;
            v.push_back(0);
            return v;
        }());
        ASSERT_EQ(CountBlockBits(block.w, list), twin::CountBlockBits(block.w, expected));

        // Shift everything by one: amplitude-1 words vanish and must be pruned.
        for (uint16_t& w : block.w) w = static_cast<uint16_t>(static_cast<int16_t>(w) >> 1);
        const int32_t pruned = PruneAndCountBlockBits(block.w, list);
        const std::vector<uint8_t> remaining = twin::NonzeroList(block.w);
        ASSERT_EQ(std::vector<uint8_t>(list, list + remaining.size()), remaining);
        ASSERT_EQ(list[remaining.size()], 0);
        ASSERT_EQ(pruned, twin::CountBlockBits(block.w, remaining));
    }
}

// Five macroblock records with their unquantized blocks kept aside.
struct Segment {
    MacroblockWork mb[kMacroblocksPerSegment];
    CoefficientBlock original[kMacroblocksPerSegment][kBlocksPerMacroblock];

    Segment() {
        for (MacroblockWork& m : mb) PrepareMacroblockWork(m);
        std::memset(original, 0, sizeof original);
    }
    // Loads the originals; maxAc/sumAc come from them unless 'declareZero' (a model that
    // sees an empty macroblock whose coefficients are in fact dense).
    void Load(bool declareZero = false, int onlyMacroblock = -1) {
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            mb[k].qno = 15;
            mb[k].sta = 0;
            for (int b = 0; b < kBlocksPerMacroblock; ++b) {
                BlockWork& block = mb[k].blocks[b];
                std::memcpy(block.coefficients, original[k][b].w, 128);
                test::MeasureBlock(original[k][b].w, block.maxAc, block.sumAc);
                if (declareZero && k == onlyMacroblock) block.maxAc = block.sumAc = 0;
            }
        }
    }
    int TwinBitsAt(int k, int qno) const {
        int total = 0;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            CoefficientBlock q;
            twin::Quantize(original[k][b].w, QuantPatternIndex[mb[k].blocks[b].classNumber][qno],
                           q.w);
            total += twin::CountBlockBits(q.w, twin::NonzeroList(q.w));
        }
        return total;
    }
};

// Weights are 24 per macroblock (4 per empty block), so W = 121; targets follow from
// T = 48 + (R x 24 + W / 2) / W with R growing by 48 and W shrinking by 24 per macroblock
// (sequential), or T = (24 x 2064 + 60) / 121 + 48 = 457 for all (one-pass).
TEST(SelectQuantization, EmptySegmentTargetsFollowFromTheBudget) {
    const struct {
        RateControl rate;
        int targetBits[5];
    } modes[] = {{RateControl::kSequential, {526, 650, 856, 1263, 2453}},
                 {RateControl::kOnePass, {481, 481, 481, 481, 481}}};
    for (const auto& mode : modes) {
        auto segment = std::make_unique<Segment>();
        segment->Load();
        SelectQuantization(segment->mb, mode.rate);
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            const MacroblockWork& m = segment->mb[k];
            EXPECT_EQ(m.targetBits, mode.targetBits[k])
                << "mode " << static_cast<int>(mode.rate) << " mb " << k;
            EXPECT_EQ(m.qno, 15);
            for (int b = 0; b < kBlocksPerMacroblock; ++b) {
                EXPECT_EQ(m.blocks[b].classNumber, b < 4 ? 0 : 1);
                EXPECT_EQ(m.nonzeroList[b][0], 0);
            }
            if (mode.rate == RateControl::kSequential) {
                EXPECT_EQ(m.totalBits, 24);
            }
        }
    }
}

// Macroblock 0 looks empty to the model (QNO 15, target 526 bits) but codes far beyond it;
// it must come down to the finest QNO whose exact count exceeds the target by at most
// (4 x 2680 >> 4) + 36 = 706 bits.
TEST(SelectQuantization, OvershootingFirstMacroblockIsLowered) {
    auto segment = std::make_unique<Segment>();
    std::mt19937 rng(kSeed);
    for (CoefficientBlock& b : segment->original[0]) {
        for (int k = 1; k < 64; ++k) b.w[k] = static_cast<uint16_t>(20 | ((rng() & 1) << 15));
    }
    segment->Load(true, 0);
    SelectQuantization(segment->mb, RateControl::kSequential);
    const MacroblockWork& m = segment->mb[0];
    int expected = 15;
    while (expected > 0 && segment->TwinBitsAt(0, expected) - 526 > 706) --expected;
    EXPECT_LT(expected, 15);
    EXPECT_EQ(m.qno, expected);
    EXPECT_EQ(m.targetBits, 526);
    EXPECT_EQ(m.totalBits, segment->TwinBitsAt(0, expected));
}

// Macroblock 0 is noise that overflows even at QNO 0: class 3 everywhere, 20 amplitudes of 31
// (16-bit codes) and 43 of 15 (9-bit codes) per block, 6 x (707 + 4) = 4266 bits. R is then
// negative for all that follow, so each empty macroblock gets T = 48 and the finest QNO whose
// estimate fits 48 bits, 10 (four luminance blocks at 9 bits, two class-1 blocks at 4 under
// pattern 2). C is negative too, so the tolerance ((n x C) >> 4) + 36 is -262, -166 and -67
// for macroblocks 1-3: undershooting by 48 bits is not enough and they drop to QNO 0; the
// last macroblock's tolerance is 36 and it keeps QNO 10.
TEST(SelectQuantization, NegativeRemainderGivesTheFloorTarget) {
    auto segment = std::make_unique<Segment>();
    std::mt19937 rng(kSeed);
    for (CoefficientBlock& b : segment->original[0]) {
        for (int k = 1; k < 64; ++k) b.w[k] = static_cast<uint16_t>(511 | ((rng() & 1) << 15));
    }
    segment->Load();
    SelectQuantization(segment->mb, RateControl::kSequential);
    EXPECT_EQ(segment->mb[0].qno, 0);
    EXPECT_EQ(segment->mb[0].totalBits, 4266);
    const int expectedQno[kMacroblocksPerSegment] = {0, 0, 0, 0, 10};
    for (int k = 1; k < kMacroblocksPerSegment; ++k) {
        EXPECT_EQ(segment->mb[k].targetBits, 48 + 24) << k;
        EXPECT_EQ(segment->mb[k].qno, expectedQno[k]) << k;
    }
}

// The one-pass rule written out: each macroblock's activity weight (the estimates of step
// patterns 3 and 7 for its six blocks), its share T = (weight x 2064 + W / 2) / W + 48 of the
// budget with W the weights' sum plus 1, and the finest QNO whose estimated bits are at most T
// (QNO 0 when none is). Random segments, macroblocks of very different activity, land on
// every kind of choice: fine and coarse QNOs, estimates exactly at their target, nothing that
// fits.
TEST(SelectQuantization, OnePassTakesTheFinestQnoWithinEachMacroblocksShare) {
    std::printf("one-pass random seed 0x%08x\n", kSeed + 1);
    std::mt19937 rng(kSeed + 1);
    auto segment = std::make_unique<Segment>();
    int qnoSeen[kQnoCount] = {};
    int exactlyAtTarget = 0;
    int noneFits = 0;
    for (int i = 0; i < 2000; ++i) {
        for (auto& macroblock : segment->original) {
            // Log-uniform from 1 to 665: from near-empty blocks to dense detail.
            const int scale =
                static_cast<int>(std::exp(std::uniform_real_distribution<double>(0, 6.5)(rng)));
            for (CoefficientBlock& b : macroblock) test::FillTransformLikeBlock(rng, scale, b.w);
        }
        segment->Load();
        uint32_t estimate[kMacroblocksPerSegment][kQnoCount] = {};
        uint32_t weight[kMacroblocksPerSegment] = {};
        uint32_t totalWeight = 1;
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            for (int b = 0; b < kBlocksPerMacroblock; ++b) {
                const BlockWork& block = segment->mb[k].blocks[b];
                const int shape = BlockShape(block.maxAc, block.sumAc);
                const int activity = ActivityIndex(block.sumAc);
                const int cls = BlockClass(b, block.maxAc);
                weight[k] += EstimateValue(BitEstimateTable[3][shape][activity]) +
                             EstimateValue(BitEstimateTable[7][shape][activity]);
                for (int q = 0; q < kQnoCount; ++q) {
                    estimate[k][q] +=
                        EstimateValue(BitEstimateTable[QuantPatternIndex[cls][q]][shape][activity]);
                }
            }
            totalWeight += weight[k];
        }
        SelectQuantization(segment->mb, RateControl::kOnePass);
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            const uint32_t target = (weight[k] * 2064 + totalWeight / 2) / totalWeight + 48;
            int qno = 15;
            while (qno > 0 && estimate[k][qno] > target) --qno;
            const MacroblockWork& m = segment->mb[k];
            ASSERT_EQ(m.targetBits, static_cast<int32_t>(target) + 24) << i << " " << k;
            ASSERT_EQ(m.qno, qno) << i << " " << k;
            ASSERT_EQ(m.totalBits, -1) << i << " " << k;
            ++qnoSeen[qno];
            exactlyAtTarget += estimate[k][qno] == target;
            noneFits += estimate[k][qno] > target;
        }
    }
    EXPECT_GE(std::count_if(qnoSeen, qnoSeen + kQnoCount, [](int n) { return n > 0; }), 12);
    EXPECT_GT(exactlyAtTarget, 0);
    EXPECT_GT(noneFits, 0);
}

// Random transform-like segments in both modes: every block ends quantized at its class
// and final QNO, with an exact list and (sequential) exact counts within the tolerance.
TEST(SelectQuantization, RandomSegmentsAreQuantizedListedAndCountedExactly) {
    std::printf("segment random seed 0x%08x\n", kSeed);
    std::mt19937 rng(kSeed);
    auto segment = std::make_unique<Segment>();
    for (int i = 0; i < 300; ++i) {
        for (auto& macroblock : segment->original) {
            const int scale = static_cast<int>(rng() % 4000);
            for (CoefficientBlock& b : macroblock) test::FillTransformLikeBlock(rng, scale, b.w);
        }
        const bool sequential = (i & 1) == 0;
        segment->Load();
        SelectQuantization(segment->mb,
                           sequential ? RateControl::kSequential : RateControl::kOnePass);
        int32_t freeBits = 2680;
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            const MacroblockWork& m = segment->mb[k];
            ASSERT_GE(m.targetBits, 48 + 24);
            int32_t total = 0;
            for (int b = 0; b < kBlocksPerMacroblock; ++b) {
                const BlockWork& block = m.blocks[b];
                ASSERT_EQ(block.classNumber, BlockClass(b, block.maxAc));
                CoefficientBlock expected;
                twin::Quantize(segment->original[k][b].w,
                               QuantPatternIndex[block.classNumber][m.qno], expected.w);
                ASSERT_EQ(0, std::memcmp(block.coefficients, expected.w, 128)) << i << " " << k;
                const std::vector<uint8_t> list = twin::NonzeroList(expected.w);
                ASSERT_EQ(std::vector<uint8_t>(m.nonzeroList[b], m.nonzeroList[b] + list.size()),
                          list);
                ASSERT_EQ(m.nonzeroList[b][list.size()], 0);
                if (sequential) {
                    ASSERT_EQ(block.codeBits, twin::CountBlockBits(expected.w, list));
                }
                total += block.codeBits;
            }
            if (!sequential) continue;
            ASSERT_EQ(m.totalBits, total);
            const int32_t tolerance = (((4 - k) * freeBits) >> 4) + 36;
            ASSERT_TRUE(m.qno == 0 || m.totalBits - m.targetBits <= tolerance) << i << " " << k;
            freeBits -= m.totalBits;
        }
    }
}

}  // namespace
}  // namespace encdv
