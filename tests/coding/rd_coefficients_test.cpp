#include "coding/rd_coefficients.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "coding/code_length_table.h"
#include "coding/quant_tables.h"
#include "coding/rd_block.h"
#include "coding/rd_tables.h"
#include "quant_twins.h"
#include "support/kernel_check.h"

namespace encdv {
namespace {

int AreaOf(int k) {
    int a = 0;
    while (k >= kAreaStart[a + 1]) ++a;
    return a;
}

// Code bits of the nonzero amplitudes plus end-of-block, counted by the coder's own tables.
int BlockBits(const uint8_t* amplitudes) {
    uint16_t words[64] = {};
    for (int k = 1; k < 64; ++k) words[k] = amplitudes[k];
    return twin::CountBlockBits(words, twin::NonzeroList(words));
}

// The coefficient choice restated plainly: from the last nonzero coefficient backwards, the
// cost of each alternative (one step lower, dropped) against keeping it is its added weighted
// squared error, 2^12 times, plus lambda times the change in the whole block's bits, counted
// afresh with the coefficients before it still rounded and those after it settled.
int32_t PlainQuantizeBlockRd(const uint16_t* magnitudes, const ShiftRounding& rounding, int dctMode,
                             int pattern, int32_t weightScale, uint64_t lambda,
                             uint8_t* amplitudes) {
    for (int k = 0; k < 64; ++k) {
        amplitudes[k] = k == 0 ? 0 : rounding.amplitudes[QuantPattern[pattern][AreaOf(k)]][k];
    }
    const int64_t l = static_cast<int64_t>(lambda);
    for (int k = 63; k >= 1; --k) {
        const int64_t a = amplitudes[k];
        if (a == 0) continue;
        const int t = QuantPattern[pattern][AreaOf(k)] + kRdFractionBits;
        const int64_t m = magnitudes[k];
        const int64_t w = static_cast<int64_t>(DistortionWeight[dctMode][k]) * weightScale;
        const auto errorAt = [&](int64_t amplitude) {
            const int64_t e = m - (amplitude << t);
            return w * e * e;
        };
        const int keptBits = BlockBits(amplitudes);
        amplitudes[k] = 0;
        const int64_t drop =
            ((errorAt(0) - errorAt(a)) << 12) + l * (BlockBits(amplitudes) - keptBits);
        int64_t lower = INT64_MAX;
        if (a > 1) {
            amplitudes[k] = static_cast<uint8_t>(a - 1);
            lower = ((errorAt(a - 1) - errorAt(a)) << 12) + l * (BlockBits(amplitudes) - keptBits);
        }
        if (drop < 0 && drop <= lower) {
            amplitudes[k] = 0;
        } else {
            amplitudes[k] = static_cast<uint8_t>(lower < 0 ? a - 1 : a);
        }
    }
    return BlockBits(amplitudes);
}

// Magnitudes in units of 2^-kRdFractionBits, with fractions: sparse and small, dense and
// falling off, large enough to cap at the finest step, halfway between two steps everywhere
// (ties round down), and all zero.
void MakeMagnitudes(std::mt19937& rng, int kind, uint16_t* m) {
    m[0] = 0;
    for (int k = 1; k < 64; ++k) {
        uint32_t v = 0;
        switch (kind) {
            case 0:
                v = rng() % 3 == 0 ? rng() % 320 : 0;
                break;
            case 1:
                v = rng() % (4800 / (k + 4) + 2);
                break;
            case 2:
                v = rng() % 4096;
                break;
            case 3: {
                const int t = QuantPattern[rng() % kQuantPatternCount][AreaOf(k)] + kRdFractionBits;
                v = ((2 * (rng() % 24) + 1) << (t - 1)) & 4095;
                break;
            }
            default:
                break;
        }
        m[k] = static_cast<uint16_t>(v);
    }
}

// Every pattern, both DCT modes, the luminance and chrominance weights the search uses and
// multipliers across the ladder: the same amplitudes and bits as the plain statement, the bits
// those of the amplitudes written, and each amplitude the rounded one, one lower or zero.
TEST(QuantizeBlockRd, ChoosesAsThePlainStatementAndCountsItsBits) {
    constexpr int kKinds = 5;
    const uint32_t seed = test::PrintedSeed("QuantizeBlockRd", 0x5eedc0ef);
    std::mt19937 rng(seed);
    test::GuardedBuffer out(64);
    uint8_t expected[64];
    for (int trial = 0; trial < 60; ++trial) {
        const int kind = trial % kKinds;
        alignas(16) uint16_t m[64];
        MakeMagnitudes(rng, kind, m);
        const int mode = (trial / kKinds) % 2;
        BlockRd rd;
        MeasureBlockRd(m, mode, rd);
        for (int p = 0; p < kQuantPatternCount; ++p) {
            for (const int32_t weightScale : {8, 16, 24}) {
                for (int index = 0; index < kLambdaSteps; index += 15 + trial % 7) {
                    const uint64_t lambda = LambdaAt(index);
                    out.Reset();
                    const int32_t bits =
                        QuantizeBlockRd(m, rd.rounding, mode, p, weightScale, lambda, out.data());
                    const int32_t plainBits = PlainQuantizeBlockRd(m, rd.rounding, mode, p,
                                                                   weightScale, lambda, expected);
                    const uint8_t* got = out.data();
                    ASSERT_TRUE(out.GuardsIntact());
                    ASSERT_TRUE(test::SameWords(got, expected, 64))
                        << "trial " << trial << " pattern " << p << " scale " << weightScale
                        << " lambda " << index;
                    ASSERT_EQ(bits, plainBits) << "trial " << trial << " pattern " << p;
                    ASSERT_EQ(bits, BlockBits(got)) << "trial " << trial << " pattern " << p;
                    for (int k = 1; k < 64; ++k) {
                        const int rounded = rd.rounding.amplitudes[QuantPattern[p][AreaOf(k)]][k];
                        ASSERT_TRUE(got[k] == rounded || got[k] == 0 || got[k] + 1 == rounded)
                            << "position " << k;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace encdv
