#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "coding/quant_tables.h"
#include "coding/quantizer.h"
#include "coding/rd_tables.h"
#include "platform/cpu_features.h"
#include "quant_twins.h"
#include "support/kernel_check.h"
#include "support/kernel_features.h"

namespace encdv {
namespace {

using test::CoefficientBlock;

constexpr uint32_t kSeed = 0x5eed4201;

TEST(QuantTables, AreaShiftIsQuantPatternThroughQuantPatternIndex) {
    for (int area = 0; area < kAreaCount; ++area) {
        for (int c = 0; c < kClassCount; ++c) {
            for (int q = 0; q < kQnoCount; ++q) {
                EXPECT_EQ(AreaShift[area][c][q], QuantPattern[QuantPatternIndex[c][q]][area])
                    << "area " << area << " class " << c << " qno " << q;
            }
        }
    }
}

TEST(QuantTables, LoweringQnoRaisesEachShiftByAtMostOne) {
    for (int area = 0; area < kAreaCount; ++area) {
        for (int c = 0; c < kClassCount; ++c) {
            for (int q = 1; q < kQnoCount; ++q) {
                const int rise = AreaShift[area][c][q - 1] - AreaShift[area][c][q];
                EXPECT_TRUE(rise == 0 || rise == 1) << "area " << area << " class " << c;
            }
            EXPECT_LE(AreaShift[area][c][0], 5);
            // Class 3 carries the extra factor 2: never an unshifted area.
            if (c == 3) {
                EXPECT_GE(AreaShift[area][c][15], 1);
            }
        }
    }
}

// Words the quantizer must treat right: extremes of the delivered range, negative zero,
// magnitude 1 (which any shift turns into zero whatever its sign), and arbitrary bits.
std::vector<CoefficientBlock> TestBlocks() {
    std::printf("quantizer random seed 0x%08x\n", kSeed);
    std::mt19937 rng(kSeed);
    std::vector<CoefficientBlock> blocks;
    for (const uint16_t fill : {0x0000, 0x8000, 0x0001, 0x8001, 0x01FF, 0x81FF, 0x00FF, 0xFFFF}) {
        CoefficientBlock b;
        for (uint16_t& w : b.w) w = fill;
        blocks.push_back(b);
    }
    for (int i = 0; i < 200; ++i) {
        CoefficientBlock b;
        if (i % 2) {
            test::FillTransformLikeBlock(rng, 64 + 16 * i, b.w);
        } else {
            for (uint16_t& w : b.w) w = static_cast<uint16_t>(rng());
        }
        blocks.push_back(b);
    }
    return blocks;
}

QuantizerKernels Kernels(uint32_t features) {
    QuantizerKernels kernels;
    InitQuantizerKernels(features, kernels);
    return kernels;
}

// Every quantizer kernel this processor runs against its portable twin: the thirteen
// patterns, the four one-bit area shifts, the nonzero list and the rounding at every shift
// (the words' low 12 bits as magnitudes, with both weight rows; amplitudes capped at 255 and
// errors beyond 16 bits included; the nonzero and capped bits checked against the amplitudes).
void CompareWithTwin(const QuantizerKernels& kernel, const QuantizerKernels& twin) {
    test::GuardedBuffer kernelOut(128), twinOut(128), kernelList(64), twinList(64);
    auto check = [&](const CoefficientBlock& original, QuantizeBlockFunction k,
                     QuantizeBlockFunction t) {
        kernelOut.Reset();
        twinOut.Reset();
        std::memcpy(kernelOut.data(), original.w, 128);
        std::memcpy(twinOut.data(), original.w, 128);
        k(kernelOut.as<uint16_t>());
        t(twinOut.as<uint16_t>());
        return test::SameOutput(kernelOut, twinOut);
    };
    for (const CoefficientBlock& original : TestBlocks()) {
        for (int pattern = 0; pattern < kQuantPatternCount; ++pattern) {
            ASSERT_TRUE(check(original, kernel.quantize[pattern], twin.quantize[pattern]))
                << "pattern " << pattern << " first word " << original.w[1];
        }
        for (int area = 0; area < kAreaCount; ++area) {
            ASSERT_TRUE(check(original, kernel.shiftArea[area], twin.shiftArea[area]))
                << "area " << area << " first word " << original.w[1];
        }
        kernelList.Reset();
        twinList.Reset();
        kernel.buildNonzeroList(original.w, kernelList.data());
        twin.buildNonzeroList(original.w, twinList.data());
        ASSERT_TRUE(test::SameOutput(kernelList, twinList)) << "list, first word " << original.w[1];
        alignas(16) uint16_t magnitudes[64];
        for (int k = 0; k < 64; ++k) magnitudes[k] = original.w[k] & 0x0FFF;
        for (const int16_t* weights : DistortionWeight) {
            ShiftRounding kernelRounding, twinRounding;
            std::memset(&kernelRounding, 0xC3, sizeof kernelRounding);
            std::memset(&twinRounding, 0xC3, sizeof twinRounding);
            kernel.roundAtShifts(magnitudes, weights, kernelRounding);
            twin.roundAtShifts(magnitudes, weights, twinRounding);
            ASSERT_TRUE(test::SameWords(&kernelRounding.amplitudes[0][0],
                                        &twinRounding.amplitudes[0][0], kShiftCount * 64))
                << "rounding, first word " << original.w[1];
            ASSERT_TRUE(test::SameWords(&kernelRounding.distortion[0][0],
                                        &twinRounding.distortion[0][0], kAreaCount * kShiftCount))
                << "distortion, first word " << original.w[1];
            // The coefficient choice trusts these bits to mark exactly the nonzero amplitudes.
            ASSERT_TRUE(test::SameWords(kernelRounding.nonzero, twinRounding.nonzero, kShiftCount))
                << "nonzero, first word " << original.w[1];
            ASSERT_EQ(kernelRounding.capped, twinRounding.capped) << "first word " << original.w[1];
            int32_t kernelBits[kAreaCount][kShiftCount], twinBits[kAreaCount][kShiftCount];
            kernel.areaBits(twinRounding, kernelBits);
            twin.areaBits(twinRounding, twinBits);
            ASSERT_TRUE(
                test::SameWords(&kernelBits[0][0], &twinBits[0][0], kAreaCount * kShiftCount))
                << "area bits, first word " << original.w[1];
            for (int s = 0; s < kShiftCount; ++s) {
                for (int k = 0; k < 64; ++k) {
                    ASSERT_EQ((twinRounding.nonzero[s] >> k) & 1,
                              twinRounding.amplitudes[s][k] != 0)
                        << "shift " << s << " position " << k;
                    const uint32_t rounded = (magnitudes[k] + (1u << (s + 2)) - 1) >> (s + 3);
                    if (s == 0) {
                        ASSERT_EQ((twinRounding.capped >> k) & 1, rounded > 255) << k;
                    }
                }
            }
        }
    }
}

// The area bits of random amplitudes at every density, from 1 to 255 but most often small
// (where the code has words for runs of zeros), position 0 coded or not.
void CompareAreaBits(const QuantizerKernels& kernel, const QuantizerKernels& twin) {
    std::mt19937 rng(kSeed + 2);
    for (int i = 0; i < 20000; ++i) {
        ShiftRounding rounding{};
        const uint32_t density = rng() % 65;  // in 64ths
        for (int s = 0; s < kShiftCount; ++s) {
            for (int k = 0; k < 64; ++k) {
                const uint32_t r = rng();
                const bool coded = r % 64 < density;
                const uint32_t a = !coded              ? 0
                                   : (r >> 6) % 4 == 0 ? 1 + (r >> 8) % 255
                                                       : 1 + (r >> 8) % 20;
                rounding.amplitudes[s][k] = static_cast<uint8_t>(a);
                rounding.nonzero[s] |= uint64_t{a != 0} << k;
            }
        }
        int32_t kernelBits[kAreaCount][kShiftCount], twinBits[kAreaCount][kShiftCount];
        kernel.areaBits(rounding, kernelBits);
        twin.areaBits(rounding, twinBits);
        ASSERT_TRUE(test::SameWords(&kernelBits[0][0], &twinBits[0][0], kAreaCount * kShiftCount))
            << "pattern " << i << ", density " << density;
    }
}

TEST(Quantizer, EveryKernelMatchesItsPortableTwin) {
    const QuantizerKernels twin = Kernels(0);
    // A build with vector kernels runs them here; otherwise the twin would meet itself.
    const std::vector<test::KernelFeatures> sets = test::VectorKernelFeatures();
    if (ENC_DV_SSE2_KERNELS || ENC_DV_NEON_KERNELS) {
        ASSERT_FALSE(sets.empty());
    }
    for (const test::KernelFeatures& set : sets) {
        SCOPED_TRACE(set.name);
        const QuantizerKernels kernel = Kernels(set.features);
        ASSERT_NE(kernel.roundAtShifts, twin.roundAtShifts);
        ASSERT_NE(kernel.quantize[0], twin.quantize[0]);
        CompareWithTwin(kernel, twin);
        CompareAreaBits(kernel, twin);
    }
}

// The rounding of a block whose one large magnitude sits on either side of the smallest that
// rounds above 255 at shift 0 (2045) or at shift 1 (4089), in every position, among small
// ones: the vector kernels take the capping only for blocks that need it.
void CompareCapping(const QuantizerKernels& kernel, const QuantizerKernels& twin) {
    std::mt19937 rng(kSeed + 1);
    for (const uint16_t large : {2044, 2045, 4088, 4089, 4095}) {
        for (int position = 0; position < 64; ++position) {
            alignas(16) uint16_t magnitudes[64];
            for (uint16_t& m : magnitudes) m = static_cast<uint16_t>(rng() % 600);
            magnitudes[position] = large;
            ShiftRounding kernelRounding, twinRounding;
            std::memset(&kernelRounding, 0xC3, sizeof kernelRounding);
            std::memset(&twinRounding, 0xC3, sizeof twinRounding);
            kernel.roundAtShifts(magnitudes, DistortionWeight[position % 2], kernelRounding);
            twin.roundAtShifts(magnitudes, DistortionWeight[position % 2], twinRounding);
            ASSERT_EQ(std::memcmp(&kernelRounding, &twinRounding, sizeof twinRounding), 0)
                << "magnitude " << large << " at " << position;
            ASSERT_EQ((twinRounding.capped >> position) & 1, large >= 2045 ? 1u : 0u)
                << "magnitude " << large << " at " << position;
            ASSERT_EQ(twinRounding.amplitudes[1][position], large >= 4089 ? 255 : (large + 7) >> 4);
        }
    }
}

TEST(Quantizer, RoundingCapsFromTheFirstMagnitudeAbove255Steps) {
    const QuantizerKernels twin = Kernels(0);
    for (const test::KernelFeatures& set : test::VectorKernelFeatures()) {
        SCOPED_TRACE(set.name);
        CompareCapping(Kernels(set.features), twin);
    }
}

// One step down from every QNO of every class lands where quantizing the original block at
// the lower QNO lands.
TEST(Quantizer, StepDownAreaEqualsQuantizingAtTheLowerQno) {
    const std::vector<CoefficientBlock> blocks = TestBlocks();
    for (int c = 0; c < kClassCount; ++c) {
        for (int q = 15; q >= 1; --q) {
            for (const CoefficientBlock& original : blocks) {
                CoefficientBlock stepped;
                CoefficientBlock expected;
                twin::Quantize(original.w, QuantPatternIndex[c][q], stepped.w);
                StepDownArea(stepped.w, c, q, q - 1);
                twin::Quantize(original.w, QuantPatternIndex[c][q - 1], expected.w);
                ASSERT_EQ(0, std::memcmp(stepped.w, expected.w, sizeof expected.w))
                    << "class " << c << " qno " << q;
            }
        }
    }
}

}  // namespace
}  // namespace encdv
