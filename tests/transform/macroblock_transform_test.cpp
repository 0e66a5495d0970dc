#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "block_patterns.h"
#include "platform/cpu_features.h"
#include "support/kernel_check.h"
#include "transform/forward_dct.h"
#include "transform/macroblock_transform.h"
#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

using transform_test::kTestSeed;
using transform_test::MakeBlock;
using transform_test::SampleBlock;

// The scan orders as printed in IEC 61834-2 style: 8-8 entries are "v h", 2-4-8 entries are
// the half (S or D), u and h.
const char kPrintedScan88[] =
    "00 01 10 20 11 02 03 12 21 30 40 31 22 13 04 05 14 23 32 41 50 60 51 42 "
    "33 24 15 06 07 16 25 34 43 52 61 70 71 62 53 44 35 26 17 27 36 45 54 63 "
    "72 73 64 55 46 37 47 56 65 74 75 66 57 67 76 77";
const char kPrintedScan248[] =
    "S00 D00 S01 D01 S10 D10 S02 D02 S11 D11 S20 D20 S30 D30 S21 D21 "
    "S12 D12 S03 D03 S04 D04 S13 D13 S22 D22 S31 D31 S32 D32 S23 D23 "
    "S14 D14 S05 D05 S06 D06 S15 D15 S24 D24 S33 D33 S34 D34 S25 D25 "
    "S16 D16 S07 D07 S17 D17 S26 D26 S35 D35 S36 D36 S27 D27 S37 D37";

// Transform output index taken by each scan position.
std::vector<int> ParseScan(const char* text, int mode) {
    std::istringstream in(text);
    std::vector<int> order;
    for (std::string entry; in >> entry;) {
        if (mode == 0) {
            order.push_back(8 * (entry[1] - '0') + (entry[0] - '0'));
        } else {
            order.push_back(8 * (entry[2] - '0') + 2 * (entry[1] - '0') + (entry[0] == 'D'));
        }
    }
    return order;
}

struct alignas(16) Words {
    uint16_t w[64];
};

class MacroblockTransform : public ::testing::Test {
  protected:
    void SetUp() override {
        transform_test::InitTransform();
        std::memset(&work, 0, sizeof work);
        PrepareMacroblockWork(work);
    }
    MacroblockWork work;
    MacroblockPixels pixels;
};

SampleBlock Flat(int n) {
    SampleBlock block;
    std::memset(block.s, n, 64);
    return block;
}

TEST_F(MacroblockTransform, ScansFollowThePrintedOrders) {
    Words transformed;
    for (int i = 0; i < 64; ++i) transformed.w[i] = static_cast<uint16_t>(0x8100 + i);
    struct Case {
        const char* printed;
        int mode;
        void (*scan)(CoefficientWord*, const CoefficientWord*);
    };
    for (const Case& c : {Case{kPrintedScan88, 0, ScanCoefficients88},
                          Case{kPrintedScan248, 1, ScanCoefficients248}}) {
        const std::vector<int> order = ParseScan(c.printed, c.mode);
        ASSERT_EQ(order.size(), 64u);
        Words out;
        out.w[0] = 0x1234;
        c.scan(out.w, transformed.w);
        EXPECT_EQ(out.w[0], 0x1234) << "word 0 is not written";
        for (int k = 1; k < 64; ++k)
            EXPECT_EQ(out.w[k], transformed.w[order[k]]) << "mode " << c.mode << " position " << k;
    }
}

TEST_F(MacroblockTransform, MotionTestCountsOnlyLinePairDifferences) {
    struct Case {
        const char* name;
        SampleBlock block;
        int motion;
        int mode;
    };
    SampleBlock fields = Flat(0), edge = Flat(255), below = Flat(100), at = Flat(100);
    for (int l = 0; l < 8; l += 2) std::memset(&fields.s[8 * l], 255, 8);
    std::memset(edge.s, 0, 16);  // lines 0-1 dark, lines 2-7 bright
    // 31 differences of 37 plus one of 52 or 53, taken in both directions.
    for (int z = 0; z < 4; ++z) {
        for (int c = 0; c < 8; ++c) {
            const int d = (z == 3 && c == 7) ? 52 : 37;
            const bool up = (z + c) % 2 == 0;
            below.at(2 * z, c) = static_cast<uint8_t>(up ? 100 + d : 100);
            below.at(2 * z + 1, c) = static_cast<uint8_t>(up ? 100 : 100 + d);
        }
    }
    at = below;
    at.at(6, 7) += (at.at(6, 7) > at.at(7, 7)) ? 1 : 0;
    at.at(7, 7) += (at.at(7, 7) > at.at(6, 7)) ? 1 : 0;
    const Case cases[] = {
        {"flat", Flat(77), 0, 0},
        {"even lines 255", fields, 8160, 1},
        {"edge between lines 1 and 2", edge, 0, 0},
        {"just below threshold", below, 1199, 0},
        {"at threshold", at, 1200, 1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(FieldDifference_C(c.block.s), c.motion) << c.name;
        EXPECT_EQ(ChooseDctMode(c.block.s), c.mode) << c.name;
    }
}

TEST_F(MacroblockTransform, MotionTestMatchesTwinAroundThreshold) {
    std::mt19937 random(kTestSeed);
    std::cout << "seed " << kTestSeed << "\n";
    for (int i = 0; i < 200000; ++i) {
        SampleBlock block = MakeBlock(random);
        if (i % 2) {  // line pairs differing by about 37 in either direction: M near 1200
            for (int z = 0; z < 4; ++z)
                for (int c = 0; c < 8; ++c) {
                    const int top = static_cast<int>(random() % 180);
                    const int d = 27 + static_cast<int>(random() % 21);
                    block.at(2 * z, c) = static_cast<uint8_t>(random() % 2 ? top : top + d);
                    block.at(2 * z + 1, c) =
                        static_cast<uint8_t>(block.at(2 * z, c) == top ? top + d : top);
                }
        }
        ASSERT_EQ(ChooseDctMode(block.s), FieldDifference_C(block.s) >= 1200 ? 1 : 0)
            << "block " << i;
    }
}

TEST_F(MacroblockTransform, MeasureAcUsesLow11BitsOfWords1To63) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, uint16_t>> words;  // everything else 0
        bool allWords;                                // words applies to every position
        uint32_t maxAc;
        uint32_t sumAc;
    };
    const Case cases[] = {
        {"empty", {}, false, 0, 0},
        {"word 0 does not count", {{0, 0x07FF}}, false, 0, 0},
        {"sign-only words are zero", {{1, 0x8000}, {40, 0x8000}, {63, 0x8000}}, false, 0, 0},
        {"bits 11-15 ignored", {{5, 0xF805}}, false, 5, 5},
        {"largest in the last word", {{1, 1}, {2, 0x8001}, {63, 300}}, false, 300, 302},
        {"largest in the first word", {{1, 511}, {9, 510}}, false, 511, 1021},
        {"sum wraps at 65536", {{0, 2047}}, true, 2047, (63 * 2047) % 65536},
    };
    for (const Case& c : cases) {
        Words block{};
        if (c.allWords) {
            for (uint16_t& w : block.w) w = c.words[0].second;
        } else {
            for (const auto& [k, w] : c.words) block.w[k] = w;
        }
        const uint32_t measure = MeasureAc(block.w);
        EXPECT_EQ(measure & 0xFFFF, c.maxAc) << c.name;
        EXPECT_EQ(measure >> 16, c.sumAc) << c.name;
    }
}

TEST_F(MacroblockTransform, FlatBlocksGiveDcOnly) {
    struct Case {
        int level;
        int dc;
    };
    const Case cases[6] = {{128, 0}, {255, 254}, {0, -256}, {16, -224}, {1, -254}, {254, 252}};
    for (int b = 0; b < 6; ++b) std::memset(pixels.blocks[b], cases[b].level, 64);
    TransformMacroblock(work, pixels);
    for (int b = 0; b < 6; ++b) {
        const BlockWork& block = work.blocks[b];
        EXPECT_EQ(block.dc, cases[b].dc) << "level " << cases[b].level;
        EXPECT_EQ(block.dctMode, 0);
        EXPECT_EQ(block.maxAc, 0);
        EXPECT_EQ(block.sumAc, 0);
        for (int k = 0; k < 64; ++k) EXPECT_EQ(block.coefficients[k], 0) << "word " << k;
    }
}

TEST_F(MacroblockTransform, SignOnlyWordsCountAsZero) {
    SampleBlock nearlyFlat = Flat(128);
    nearlyFlat.at(0, 0) = 127;
    for (int b = 0; b < 6; ++b) std::memcpy(pixels.blocks[b], nearlyFlat.s, 64);
    TransformMacroblock(work, pixels);
    const BlockWork& block = work.blocks[0];
    int signOnly = 0;
    for (int k = 1; k < 64; ++k) signOnly += block.coefficients[k] == 0x8000;
    EXPECT_GT(signOnly, 0);
    EXPECT_EQ(block.maxAc, 0);
    EXPECT_EQ(block.sumAc, 0);
}

TEST_F(MacroblockTransform, TouchesOnlyItsOwnFields) {
    std::mt19937 random(kTestSeed);
    for (int b = 0; b < 6; ++b) std::memcpy(pixels.blocks[b], MakeBlock(random).s, 64);
    std::memset(&work, 0x5A, sizeof work);
    PrepareMacroblockWork(work);
    MacroblockWork expected = work;
    TransformMacroblock(work, pixels);
    // Carry over what the transform owns; every other byte, including the alignment slack of
    // the coefficient area, must be as before.
    for (int b = 0; b < 6; ++b) {
        BlockWork& block = expected.blocks[b];
        block.dc = work.blocks[b].dc;
        block.dctMode = work.blocks[b].dctMode;
        block.maxAc = work.blocks[b].maxAc;
        block.sumAc = work.blocks[b].sumAc;
    }
    const size_t storeOffset =
        reinterpret_cast<uint8_t*>(work.coefficientStore) - work.coefficientArea;
    std::memcpy(expected.coefficientArea + storeOffset, work.coefficientStore, 6 * 128);
    EXPECT_EQ(std::memcmp(&expected, &work, sizeof work), 0);
}

// The whole macroblock against the twins composed from the definitions: mode from the field
// difference, the portable transform of that mode, the printed scan, dc = floor((S + 13) / 32)
// - 256 from the sample sum, word 0 = 0 and the measures of the portable twin.
TEST_F(MacroblockTransform, MatchesComposedTwins) {
    std::mt19937 random(kTestSeed + 2);
    std::cout << "seed " << kTestSeed + 2 << "\n";
    const std::vector<int> scans[2] = {ParseScan(kPrintedScan88, 0), ParseScan(kPrintedScan248, 1)};
    for (int i = 0; i < 30000; ++i) {
        for (int b = 0; b < 6; ++b) std::memcpy(pixels.blocks[b], MakeBlock(random).s, 64);
        TransformMacroblock(work, pixels);
        for (int b = 0; b < 6; ++b) {
            const uint8_t* samples = pixels.blocks[b];
            const int mode = FieldDifference_C(samples) >= 1200 ? 1 : 0;
            Words T, expected;
            (mode ? ForwardDct248_C : ForwardDct88_C)(T.w, samples, GetOutputScaleTable(mode));
            expected.w[0] = 0;
            for (int k = 1; k < 64; ++k) expected.w[k] = T.w[scans[mode][k]];
            int sum = 0;
            for (int j = 0; j < 64; ++j) sum += samples[j];
            const BlockWork& block = work.blocks[b];
            ASSERT_EQ(block.dctMode, mode) << "macroblock " << i << " block " << b;
            ASSERT_EQ(block.dc, (sum + 13) / 32 - 256) << "macroblock " << i << " block " << b;
            for (int k = 0; k < 64; ++k)
                ASSERT_EQ(block.coefficients[k], expected.w[k])
                    << "macroblock " << i << " block " << b << " word " << k;
            const uint32_t measure = MeasureAc_C(expected.w);
            ASSERT_EQ(block.maxAc, static_cast<int>(measure & 0xFFFF));
            ASSERT_EQ(block.sumAc, static_cast<int>(measure >> 16));
        }
    }
}

}  // namespace
}  // namespace encdv
