#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "coding/block_bits.h"
#include "coding/code_length_table.h"
#include "coding/quant_selection.h"
#include "coding/quant_tables.h"
#include "coding/rd_block.h"
#include "coding/rd_tables.h"
#include "transform/scan_order.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

constexpr uint32_t kSeed = 0x5eed2d01;

// Area of a scan position.
int AreaOf(int k) {
    int a = 0;
    while (k >= kAreaStart[a + 1]) ++a;
    return a;
}

TEST(DistortionWeight, UndoesTheDvWeightingOfEachScanPosition) {
    BuildTransformTables();
    for (int mode = 0; mode < 2; ++mode) {
        const uint8_t* scan = mode == 0 ? kScanOrder88 : kScanOrder248;
        for (int k = 1; k < 64; ++k) {
            const int h = scan[k] / 8;
            const int v = mode == 0 ? scan[k] % 8 : 2 * ((scan[k] % 8) / 2);
            const double w = DvWeight(h) * DvWeight(v);
            EXPECT_EQ(DistortionWeight[mode][k], std::lround(128.0 / (w * w)))
                << "mode " << mode << " position " << k;
        }
    }
}

TEST(LambdaLadder, RisesByAnEighthOctavePerStep) {
    EXPECT_EQ(LambdaAt(0), 65536u);
    EXPECT_EQ(LambdaAt(8), 131072u);
    for (int i = 1; i < kLambdaSteps; ++i) {
        const double ratio =
            static_cast<double>(LambdaAt(i)) / static_cast<double>(LambdaAt(i - 1));
        EXPECT_NEAR(ratio, std::pow(2.0, 0.125), 1e-4) << i;
    }
}

// Blocks of many kinds: sparse, dense, large magnitudes (class-3 territory), all zero.
void MakeMagnitudes(std::mt19937& rng, int kind, uint16_t* m) {
    m[0] = 0;
    for (int k = 1; k < 64; ++k) {
        uint32_t v = 0;
        switch (kind % 4) {
            case 0:
                v = rng() % 4 == 0 ? rng() % 40 : 0;
                break;
            case 1:
                v = rng() % (600 / (k + 4) + 2);
                break;
            case 2:
                v = rng() % 512;
                break;
            default:
                v = 0;
                break;
        }
        m[k] = static_cast<uint16_t>(v << kRdFractionBits);
    }
}

// Distortion is exact for every pattern. The rate counts each area's codes as if the areas
// before it had the same step, which is exact where every area has one step (patterns 0 and 4)
// and for the block's first coded area, and otherwise differs only in the code of each later
// area's first coefficient.
TEST(MeasureBlockRd, MatchesQuantizingAndCountingEveryPattern) {
    std::mt19937 rng(kSeed);
    for (int trial = 0; trial < 400; ++trial) {
        alignas(16) uint16_t m[64];
        MakeMagnitudes(rng, trial, m);
        const int mode = (trial / 4) % 2;
        BlockRd rd;
        MeasureBlockRd(m, mode, rd);
        // Amplitudes of the whole block at each shift.
        uint32_t rounded[kShiftCount][64] = {};
        for (int s = 0; s < kShiftCount; ++s) {
            for (int k = 1; k < 64; ++k) {
                const int t = s + kRdFractionBits;
                // Nearest multiple of the step, a tie to the smaller amplitude.
                const uint32_t floor = m[k] >> t;
                const uint32_t rest = m[k] - (floor << t);
                rounded[s][k] = floor + (2 * rest > (1u << t) ? 1 : 0);
            }
        }
        for (int p = 0; p < kQuantPatternCount; ++p) {
            alignas(16) CoefficientWord block[64] = {};
            uint64_t distortion = 0;
            int32_t estimate = 4;
            uint32_t previous[kShiftCount] = {};
            bool valid = true;
            for (int k = 1; k < 64; ++k) {
                const int shift = QuantPattern[p][AreaOf(k)];
                const int t = shift + kRdFractionBits;
                const uint32_t exact = rounded[shift][k];
                if (exact > 255 && shift == 0) valid = false;
                const uint32_t a = exact > 255 ? 255 : exact;
                block[k] = static_cast<CoefficientWord>(a);
                const int64_t e = static_cast<int64_t>(m[k]) - (static_cast<int64_t>(a) << t);
                distortion += static_cast<uint64_t>(DistortionWeight[mode][k] * e * e);
                for (int s = 0; s < kShiftCount; ++s) {
                    if (rounded[s][k] == 0) continue;
                    if (s == shift) {
                        estimate += static_cast<int32_t>(CoefficientCodeBits(k - previous[s], a));
                    }
                    previous[s] = k;
                }
            }
            if (!valid) {
                EXPECT_EQ(rd.rate[p], kInvalidRate) << "trial " << trial << " pattern " << p;
                continue;
            }
            EXPECT_EQ(rd.rate[p], estimate) << "trial " << trial << " pattern " << p;
            if (p == 0 || p == 4) {
                uint8_t list[64];
                BuildNonzeroList(block, list);
                EXPECT_EQ(rd.rate[p], CountBlockBits(block, list))
                    << "trial " << trial << " pattern " << p;
            }
            EXPECT_EQ(rd.distortion[p], distortion) << "trial " << trial << " pattern " << p;
        }
    }
}

}  // namespace
}  // namespace encdv
