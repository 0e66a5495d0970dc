#include "transform/macroblock_transform_fine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "block_patterns.h"
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
// than the words do, with the words' signs and DCT modes, and a DC rounded to the nearest
// (where the words' DC rounds a tie down).
TEST(TransformMacroblockFine, KeepsTheCoefficientsMoreExactlyThanTheWords) {
    BuildTransformTables();
    InitDctVectorConstants();
    std::mt19937 rng(kSeed);
    MacroblockWork plain;
    MacroblockWork fine;
    PrepareMacroblockWork(plain);
    PrepareMacroblockWork(fine);
    FineMagnitudes segment;  // the macroblock is the segment's first
    auto& magnitudes = segment.blocks;
    double wordError[2] = {0, 0};
    double fineError[2] = {0, 0};
    int count[2] = {0, 0};
    int ties = 0;
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
        TransformMacroblockFine(fine, pixels, segment, 0, false);
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int mode = plain.blocks[b].dctMode;
            ASSERT_EQ(fine.blocks[b].dctMode, mode);
            int sum = 0;
            for (int i = 0; i < 64; ++i) sum += pixels.blocks[b][i];
            // The DC output floor((S + 1) / 4) of the DCT, in units of 8 rounded to the
            // nearest, a tie upwards.
            const int dcOutput = (sum + 1) / 4;
            EXPECT_EQ(fine.blocks[b].dc + 256, static_cast<int>(std::floor(dcOutput / 8.0 + 0.5)))
                << trial << " " << b << " sum " << sum;
            ties += dcOutput % 8 == 4;
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
    EXPECT_GT(ties, 50);
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
    FineMagnitudes segment;  // the macroblock is the segment's second
    const auto other = segment.other + kBlocksPerMacroblock;
    const auto signs = segment.otherSigns + kBlocksPerMacroblock;
    const auto valid = segment.otherValid + kBlocksPerMacroblock;
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
        TransformMacroblockFine(work, pixels, segment, 1, true);
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int mode = work.blocks[b].dctMode;
            if ((trial + b) % 4 == 0) {
                EXPECT_FALSE(valid[b]);
            }
            if (!valid[b]) continue;
            ++withOther;
            alignas(16) uint16_t expected[64];
            alignas(16) CoefficientWord words[64];
            (mode == 1 ? ForwardDctFine88_C : ForwardDctFine248_C)(pixels.blocks[b], expected,
                                                                   words);
            for (int k = 1; k < 64; ++k) {
                EXPECT_EQ(other[b][k], expected[k]) << trial << " " << b << " " << k;
                EXPECT_EQ((signs[b] >> k) & 1, words[k] != 0 ? 1u : 0u)
                    << trial << " " << b << " " << k;
            }
        }
    }
    EXPECT_GT(withOther, 100);
}

// Every AC output of the portable kernels lies within its own rounding (half an eighth) and
// a little more of the double-precision weighted coefficient, in both DCT modes, for extreme
// and random blocks (this also checks the tables); the signs agree, the two sign forms agree
// with each other, and the kernels return the sample sum.
TEST(ForwardDctFine, MatchesTheWeightedDctInDoublePrecision) {
    std::mt19937 rng(kSeed + 1);
    std::vector<transform_test::SampleBlock> blocks = transform_test::ExtremeBlocks();
    for (int trial = 0; trial < 2000; ++trial) {
        transform_test::SampleBlock block;
        for (uint8_t& sample : block.s) sample = static_cast<uint8_t>(rng() % 256);
        blocks.push_back(block);
    }
    const ForwardDctFineKernel withWords[2] = {ForwardDctFine88_C, ForwardDctFine248_C};
    const ForwardDctFineSignsKernel withBits[2] = {ForwardDctFineSigns88_C,
                                                   ForwardDctFineSigns248_C};
    double largest = 0;
    double squares = 0;
    int count = 0;
    for (std::size_t n = 0; n < blocks.size(); ++n) {
        const uint8_t* samples = blocks[n].s;
        int sum = 0;
        for (int i = 0; i < 64; ++i) sum += samples[i];
        for (int mode = 0; mode < 2; ++mode) {
            alignas(16) uint16_t magnitudes[64];
            alignas(16) uint16_t again[64];
            alignas(16) CoefficientWord words[64];
            ASSERT_EQ(withWords[mode](samples, magnitudes, words), sum) << n;
            const uint64_t signs = withBits[mode](samples, again);
            ASSERT_EQ(magnitudes[0], 0);
            ASSERT_EQ(words[0], 0);
            ASSERT_EQ(signs & 1, 0u);
            for (int k = 1; k < 64; ++k) {
                const double exact = ExactWeighted(samples, mode, k) * (1 << kFineFractionBits);
                const double value = words[k] != 0 ? -magnitudes[k] : magnitudes[k];
                const double error = std::fabs(value - exact);
                largest = std::max(largest, error);
                squares += error * error;
                ++count;
                // Half a coefficient that the sum exceeds grows by an eighth.
                const bool movedOffHalf = (magnitudes[k] & 7) == 5;
                ASSERT_LE(error, movedOffHalf ? 1.25 : 0.75)
                    << "block " << n << " mode " << mode << " position " << k;
                ASSERT_TRUE(words[k] == 0 || words[k] == kSignBit) << n << " " << k;
                ASSERT_EQ(again[k], magnitudes[k]) << n << " " << mode << " " << k;
                ASSERT_EQ((signs >> k) & 1, words[k] != 0 ? 1u : 0u) << n << " " << k;
                if (magnitudes[k] == 0) {
                    ASSERT_EQ(words[k], 0) << n << " " << k;
                }
            }
        }
    }
    const double rms = std::sqrt(squares / count);
    std::printf("fine DCT against the weighted DCT, in eighths: max %.3f, RMS %.3f\n", largest,
                rms);
    // The final rounding alone gives an RMS error of 1 / sqrt(12) = 0.289; the halves moved off
    // add about 0.03.
    EXPECT_LT(rms, 0.33);
}

// The tables against their formulas, and the bound that keeps every horizontal sum (but the
// DC's, which is never formed) within 32 bits: the sum of a row's multiplier magnitudes
// times twice the largest magnitude the vertical pass gives that row.
TEST(ForwardDctFine, TablesFollowTheirFormulasAndKeepSumsIn32Bits) {
    const double pi = 3.14159265358979323846;
    for (int n = 1; n < 8; ++n) {
        EXPECT_EQ(kFineVerticalBasis[n], std::lround(65536 * std::cos(n * pi / 16) / 2)) << n;
    }
    const double exactScale = 16 * 2 * std::sqrt(2.0);
    for (int mode = 0; mode < 2; ++mode) {
        for (int v = 0; v < 8; ++v) {
            const bool exact = mode == 0 ? v % 4 == 0 : v % 4 < 2;
            const double scale = exact ? exactScale : 32;
            const double weight = DvWeight(mode == 0 ? v : v / 2 * 2);
            // Exact rows: 16 x (a sum of 8 samples less 1024, or +-1020 at most); the others:
            // their basis magnitudes times the largest inputs, rounded.
            int32_t range = 16320;
            if (v == 0) {
                range = 16384;
            } else if (!exact && mode == 0 && v % 2 == 1) {
                range = (255 * (kFineVerticalBasis[1] + kFineVerticalBasis[3] +
                                kFineVerticalBasis[5] + kFineVerticalBasis[7]) +
                         1024) >>
                        11;
            } else if (!exact) {
                range = (510 * (kFineVerticalBasis[2] + kFineVerticalBasis[6]) + 1024) >> 11;
            }
            for (int h = 0; h < 8; ++h) {
                int64_t bound = 1 << 18;
                for (int j = 0; j < 4; ++j) {
                    const double a = h == 0 ? std::sqrt(0.5) : 1.0;
                    const double basis = a * std::cos((2 * j + 1) * h * pi / 16) / 2;
                    const int16_t multiplier = kFineHorizontal[mode][h][j / 2][2 * v + j % 2];
                    EXPECT_EQ(multiplier,
                              std::lround(4194304.0 * basis * DvWeight(h) * weight / 2 / scale))
                        << mode << " " << h << " " << v << " " << j;
                    bound += int64_t{2} * range * std::abs(multiplier);
                }
                if (h > 0 || v > 0) {
                    EXPECT_LT(bound, int64_t{1} << 31) << mode << " " << h << " " << v;
                }
            }
        }
    }
}

// Rounded to whole coefficients (step 1, a tie downwards, as the search rounds), the eighths
// give what the exact coefficients give, on every kind of block and in both DCT modes: a value
// that lands on half a coefficient must not hide on which side of it the exact value lies.
// Values within the arithmetic's precision (a sixteenth of a coefficient) of a half are left out.
TEST(ForwardDctFine, RoundsToWholeCoefficientsAsTheExactValuesDo) {
    std::mt19937 rng(kSeed + 3);
    using Sample = int (*)(std::mt19937&, int, int);
    const struct {
        const char* kind;
        Sample sample;
    } kinds[] = {
        {"random", [](std::mt19937& r, int, int) { return static_cast<int>(r() % 256); }},
        {"gentle slope",
         [](std::mt19937& r, int t, int i) {
             return 60 + (t % 13) * (i % 8) + (t % 7) * (i / 8) + static_cast<int>(r() % 3);
         }},
        {"smooth",
         [](std::mt19937& r, int t, int i) {
             return 128 + static_cast<int>(40 * std::sin(0.1 * (t + 1) * (i % 8 + 1.7 * (i / 8)))) +
                    static_cast<int>(r() % 2);
         }},
    };
    const ForwardDctFineKernel kernels[2] = {ForwardDctFine88_C, ForwardDctFine248_C};
    constexpr int kTieDown = (1 << (kFineFractionBits - 1)) - 1;
    for (const auto& kind : kinds) {
        int checked = 0;
        int wrong = 0;
        for (int trial = 0; trial < 200; ++trial) {
            uint8_t samples[64];
            for (int i = 0; i < 64; ++i)
                samples[i] = static_cast<uint8_t>(std::clamp(kind.sample(rng, trial, i), 0, 255));
            for (int mode = 0; mode < 2; ++mode) {
                alignas(16) uint16_t magnitudes[64];
                alignas(16) CoefficientWord words[64];
                kernels[mode](samples, magnitudes, words);
                for (int k = 1; k < 64; ++k) {
                    const double exact = std::fabs(ExactWeighted(samples, mode, k));
                    if (std::fabs(exact - std::floor(exact) - 0.5) < 1.0 / 16) continue;
                    wrong += (magnitudes[k] + kTieDown) >> kFineFractionBits != std::lround(exact);
                    ++checked;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << kind.kind << ": " << checked << " checked";
        EXPECT_GT(checked, 20000) << kind.kind;
    }
}

}  // namespace
}  // namespace encdv
