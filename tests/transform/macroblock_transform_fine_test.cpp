#include "transform/macroblock_transform_fine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "common/macroblock_work.h"
#include "transform/forward_dct.h"
#include "transform/forward_dct_fine.h"
#include "transform/macroblock_transform.h"
#include "transform/scan_order.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

constexpr uint32_t kSeed = 0x5eedf1e0;

// The weighted coefficient of an 8x8 block at scan position k of a DCT mode, in double
// precision, straight from the definitions of the two DCTs.
double ExactWeighted(const uint8_t* p, int mode, int k) {
    const double pi = 3.14159265358979323846;
    const int index = mode == 0 ? kScanOrder88[k] : kScanOrder248[k];
    const int h = index / 8;
    double sum = 0;
    if (mode == 0) {
        const int v = index % 8;
        for (int l = 0; l < 8; ++l)
            for (int c = 0; c < 8; ++c)
                sum += p[8 * l + c] * std::cos((2 * c + 1) * h * pi / 16) *
                       std::cos((2 * l + 1) * v * pi / 16);
        const double a = (h == 0 ? std::sqrt(0.5) : 1) * (v == 0 ? std::sqrt(0.5) : 1);
        return a / 4 * sum * DvWeight(h) * DvWeight(v) / 2;
    }
    const int u = (index % 8) / 2;
    const int d = index % 2;
    for (int z = 0; z < 4; ++z)
        for (int c = 0; c < 8; ++c) {
            const int pair =
                d == 0 ? p[16 * z + c] + p[16 * z + 8 + c] : p[16 * z + c] - p[16 * z + 8 + c];
            sum += pair * std::cos((2 * c + 1) * h * pi / 16) * std::cos((2 * z + 1) * u * pi / 8);
        }
    const double a = (h == 0 ? std::sqrt(0.5) : 1) * (u == 0 ? std::sqrt(0.5) : 1);
    return a / 4 * sum * DvWeight(h) * DvWeight(2 * u) / 2;
}

// The fine transform keeps what the coefficient words round away: on blocks of every kind
// and in both DCT modes its magnitudes lie much closer to the exact weighted coefficients
// than the words do, with the words' signs and DCT modes, and a DC rounded to the nearest.
TEST(TransformMacroblockFine, KeepsTheCoefficientsMoreExactlyThanTheWords) {
    BuildTransformTables();
    InitDctVectorConstants();
    std::mt19937 rng(kSeed);
    MacroblockWork plain;
    MacroblockWork fine;
    PrepareMacroblockWork(plain);
    PrepareMacroblockWork(fine);
    uint16_t magnitudes[kBlocksPerMacroblock][64];
    double wordError[2] = {0, 0};
    double fineError[2] = {0, 0};
    int count[2] = {0, 0};
    for (int trial = 0; trial < 300; ++trial) {
        MacroblockPixels pixels;
        for (auto& block : pixels.blocks) {
            for (int i = 0; i < 64; ++i) {
                const int kind = trial % 3;
                block[i] =
                    static_cast<uint8_t>(kind == 0   ? rng() % 256
                                         : kind == 1 ? 100 + (i % 8) * 7 + (i / 8) * 3 + rng() % 9
                                                     : ((i / 8) % 2 ? 30 : 220) + rng() % 5);
            }
        }
        TransformMacroblock(plain, pixels);
        TransformMacroblockFine(fine, pixels, magnitudes);
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int mode = plain.blocks[b].dctMode;
            ASSERT_EQ(fine.blocks[b].dctMode, mode);
            int sum = 0;
            for (int i = 0; i < 64; ++i) sum += pixels.blocks[b][i];
            // Nearest to S / 32 up to the quarter-sample rounding of the DC output.
            EXPECT_LE(std::fabs(fine.blocks[b].dc + 256 - sum / 32.0), 0.5 + 1.0 / 8);
            for (int k = 1; k < 64; ++k) {
                const double exact = ExactWeighted(pixels.blocks[b], mode, k);
                const double m = magnitudes[b][k] / static_cast<double>(1 << kFineFractionBits);
                const int word = plain.blocks[b].coefficients[k] & 0x7FF;
                wordError[mode] += std::fabs(word - std::fabs(exact));
                fineError[mode] += std::fabs(m - std::fabs(exact));
                ++count[mode];
                if (std::fabs(exact) > 0.75) {
                    EXPECT_EQ((fine.blocks[b].coefficients[k] & kSignBit) != 0, exact < 0)
                        << trial << " " << b << " " << k;
                }
                EXPECT_EQ(fine.blocks[b].coefficients[k] & ~kSignBit, 0);
            }
        }
    }
    for (int mode = 0; mode < 2; ++mode) {
        ASSERT_GT(count[mode], 1000) << mode;
        // The words are off by a quarter on average (rounding); the fine values by little more
        // than their own rounding (1/32 on average at three fraction bits).
        EXPECT_LT(fineError[mode] / count[mode], 0.04) << mode;
        EXPECT_GT(wordError[mode] / count[mode], 0.2) << mode;
    }
}

// Blocks whose fields differ enough also get their coefficients under the other DCT mode:
// the same values the exact transform gives in that mode, signs as bits; flat blocks do not.
TEST(TransformMacroblockFine, GivesTheOtherModeWhereTheFieldsDiffer) {
    std::mt19937 rng(kSeed + 2);
    MacroblockWork work;
    PrepareMacroblockWork(work);
    uint16_t magnitudes[kBlocksPerMacroblock][64];
    uint16_t other[kBlocksPerMacroblock][64];
    uint64_t signs[kBlocksPerMacroblock];
    bool valid[kBlocksPerMacroblock];
    int withOther = 0;
    for (int trial = 0; trial < 60; ++trial) {
        MacroblockPixels pixels;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int swing = (trial + b) % 4 * 20;  // field difference from 0 to 60 a sample
            for (int i = 0; i < 64; ++i) {
                pixels.blocks[b][i] =
                    static_cast<uint8_t>(100 + ((i / 8) % 2 ? swing : 0) + rng() % 3);
            }
        }
        TransformMacroblockFine(work, pixels, magnitudes, other, signs, valid);
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int mode = work.blocks[b].dctMode;
            if ((trial + b) % 4 == 0) {
                EXPECT_FALSE(valid[b]);
            }
            if (!valid[b]) continue;
            ++withOther;
            int32_t out[64];
            ForwardDctFine(pixels.blocks[b], 1 - mode, kFineFractionBits, out);
            const uint8_t* scan = mode == 1 ? kScanOrder88 : kScanOrder248;
            for (int k = 1; k < 64; ++k) {
                const int32_t value = out[scan[k]];
                EXPECT_EQ(other[b][k], value < 0 ? -value : value) << trial << " " << b << " " << k;
                EXPECT_EQ((signs[b] >> k) & 1, value < 0 ? 1u : 0u)
                    << trial << " " << b << " " << k;
            }
        }
    }
    EXPECT_GT(withOther, 100);
}

// The exact transform, unrounded, at 16 fraction bits: within 1/64 (and 1/16384 of the value,
// the bases' 15-bit rounding) of the double-precision weighted coefficient at every output of
// both DCTs, for extreme and random blocks (this also checks its basis and weighting tables).
TEST(ForwardDctFine, MatchesTheWeightedDctInDoublePrecision) {
    std::mt19937 rng(kSeed + 1);
    for (int trial = 0; trial < 200; ++trial) {
        uint8_t samples[64];
        for (int i = 0; i < 64; ++i) {
            samples[i] = static_cast<uint8_t>(trial < 4 ? (trial % 2 ? 255 : 0) ^
                                                              ((i / 8) % 2 && trial >= 2 ? 255 : 0)
                                                        : rng() % 256);
        }
        for (int mode = 0; mode < 2; ++mode) {
            int32_t out[64];
            ForwardDctFine(samples, mode, 16, out);
            const uint8_t* scan = mode == 0 ? kScanOrder88 : kScanOrder248;
            for (int k = 1; k < 64; ++k) {
                const double exact = ExactWeighted(samples, mode, k);
                EXPECT_NEAR(out[scan[k]] / 65536.0, exact, 1.0 / 64 + std::fabs(exact) / 16384)
                    << "trial " << trial << " mode " << mode << " position " << k;
            }
        }
    }
}

}  // namespace
}  // namespace encdv
