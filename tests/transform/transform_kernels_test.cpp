// Every transform kernel this processor runs against its portable twin, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "block_patterns.h"
#include "platform/cpu_features.h"
#include "support/kernel_check.h"
#include "support/kernel_features.h"
#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

using test::GuardedBuffer;
using test::SameOutput;

TransformKernels Kernels(uint32_t features) {
    TransformKernels kernels;
    InitTransformKernels(features, kernels);
    return kernels;
}

// Transform outputs, and coefficient words with arbitrary high bits: the scan copies words
// unchanged and the measures must ignore bits 11-15.
void FillWords(std::mt19937& random, int kind, uint16_t* words) {
    for (int k = 0; k < 64; ++k) {
        const uint32_t r = random();
        words[k] = kind == 0   ? static_cast<uint16_t>(r)
                   : kind == 1 ? static_cast<uint16_t>((r & 0x8000) | (r % 2048))
                               : static_cast<uint16_t>(r & 1 ? 0x07FF : 0xF800);
    }
}

// The forward DCTs, single and in pairs of every two modes, the field difference, the scans and
// the measures of one instruction set against the twins, on random and adversarial blocks.
void CompareWithTwins(const TransformKernels& kernel, const TransformKernels& twin) {
    std::mt19937 random(test::PrintedSeed("TransformKernels", transform_test::kTestSeed + 3));
    GuardedBuffer kernelOut(128), twinOut(128), kernelSecond(128), twinSecond(128);
    alignas(16) uint16_t words[64];
    transform_test::SampleBlock previous = transform_test::MakeBlock(random);
    for (int i = 0; i < 100000; ++i) {
        const transform_test::SampleBlock block = transform_test::MakeBlock(random);
        ASSERT_EQ(kernel.fieldDifference(block.s), twin.fieldDifference(block.s)) << "block " << i;
        for (int mode = 0; mode < 2; ++mode) {
            kernelOut.Reset();
            twinOut.Reset();
            kernel.forwardDct[mode](kernelOut.as<uint16_t>(), block.s, GetOutputScaleTable(mode));
            twin.forwardDct[mode](twinOut.as<uint16_t>(), block.s, GetOutputScaleTable(mode));
            ASSERT_TRUE(SameOutput(kernelOut, twinOut)) << "forward DCT " << mode << " block " << i;

            // The block as the second of a pair, the one before it first in either mode.
            const int first = (i / 2) % 2;
            for (GuardedBuffer* buffer : {&kernelOut, &twinOut, &kernelSecond, &twinSecond}) {
                buffer->Reset();
            }
            kernel.forwardDctPair[first][mode](
                kernelOut.as<uint16_t>(), kernelSecond.as<uint16_t>(), previous.s, block.s,
                GetOutputScaleTable(first), GetOutputScaleTable(mode));
            twin.forwardDct[first](twinOut.as<uint16_t>(), previous.s, GetOutputScaleTable(first));
            twin.forwardDct[mode](twinSecond.as<uint16_t>(), block.s, GetOutputScaleTable(mode));
            ASSERT_TRUE(SameOutput(kernelOut, twinOut))
                << "first of pair " << first << mode << " block " << i;
            ASSERT_TRUE(SameOutput(kernelSecond, twinSecond))
                << "second of pair " << first << mode << " block " << i;

            FillWords(random, i % 3, words);
            kernelOut.Reset();
            twinOut.Reset();
            const uint32_t kernelMeasure =
                kernel.scanAndMeasure[mode](kernelOut.as<uint16_t>(), words);
            const uint32_t twinMeasure = twin.scanAndMeasure[mode](twinOut.as<uint16_t>(), words);
            ASSERT_TRUE(SameOutput(kernelOut, twinOut)) << "scan " << mode << " block " << i;
            ASSERT_EQ(kernelMeasure, twinMeasure) << "scan " << mode << " block " << i;
            ASSERT_EQ(kernel.measureAc(words), twin.measureAc(words)) << "block " << i;
        }
        previous = block;
    }
}

TEST(TransformKernels, EveryKernelMatchesItsPortableTwin) {
    transform_test::InitTransform();
    const TransformKernels twin = Kernels(0);
    // A build with vector kernels runs them here; otherwise the twin would meet itself.
    const std::vector<test::KernelFeatures> sets = test::VectorKernelFeatures();
    if (ENC_DV_SSE2_KERNELS || ENC_DV_NEON_KERNELS) {
        ASSERT_FALSE(sets.empty());
    }
    for (const test::KernelFeatures& set : sets) {
        SCOPED_TRACE(set.name);
        const TransformKernels kernel = Kernels(set.features);
        ASSERT_NE(kernel.forwardDct[0], twin.forwardDct[0]);
        ASSERT_NE(kernel.forwardDctPair[0][1], twin.forwardDctPair[0][1]);
        CompareWithTwins(kernel, twin);
    }
}

// The fine DCTs in both modes and both sign forms, on the extreme blocks and then on random
// and adversarial ones; outputs start at an odd word, since they need no alignment.
void CompareFineWithTwins(const TransformKernels& kernel, const TransformKernels& twin) {
    std::mt19937 random(test::PrintedSeed("FineDcts", transform_test::kTestSeed + 4));
    std::vector<transform_test::SampleBlock> blocks = transform_test::ExtremeBlocks();
    for (int i = 0; i < 50000; ++i) blocks.push_back(transform_test::MakeBlock(random));
    GuardedBuffer kernelMagnitudes(130), twinMagnitudes(130);
    GuardedBuffer kernelWords(130), twinWords(130);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const uint8_t* samples = blocks[i].s;
        for (int mode = 0; mode < 2; ++mode) {
            for (GuardedBuffer* buffer :
                 {&kernelMagnitudes, &twinMagnitudes, &kernelWords, &twinWords}) {
                buffer->Reset();
            }
            const int kernelSum = kernel.forwardDctFine[mode](
                samples, kernelMagnitudes.as<uint16_t>() + 1, kernelWords.as<uint16_t>() + 1);
            const int twinSum = twin.forwardDctFine[mode](
                samples, twinMagnitudes.as<uint16_t>() + 1, twinWords.as<uint16_t>() + 1);
            ASSERT_EQ(kernelSum, twinSum) << "mode " << mode << " block " << i;
            ASSERT_TRUE(SameOutput(kernelMagnitudes, twinMagnitudes))
                << "magnitudes, mode " << mode << " block " << i;
            ASSERT_TRUE(SameOutput(kernelWords, twinWords))
                << "sign words, mode " << mode << " block " << i;

            kernelMagnitudes.Reset();
            twinMagnitudes.Reset();
            const uint64_t kernelSigns =
                kernel.forwardDctFineSigns[mode](samples, kernelMagnitudes.as<uint16_t>() + 1);
            const uint64_t twinSigns =
                twin.forwardDctFineSigns[mode](samples, twinMagnitudes.as<uint16_t>() + 1);
            ASSERT_EQ(kernelSigns, twinSigns) << "mode " << mode << " block " << i;
            ASSERT_TRUE(SameOutput(kernelMagnitudes, twinMagnitudes))
                << "magnitudes with sign bits, mode " << mode << " block " << i;
        }
    }
}

TEST(TransformKernels, FineDctsMatchTheirPortableTwins) {
    transform_test::InitTransform();
    const TransformKernels twin = Kernels(0);
    for (const test::KernelFeatures& set : test::VectorKernelFeatures()) {
        SCOPED_TRACE(set.name);
        const TransformKernels kernel = Kernels(set.features);
        ASSERT_NE(kernel.forwardDctFine[0], twin.forwardDctFine[0]);
        CompareFineWithTwins(kernel, twin);
    }
}

}  // namespace
}  // namespace encdv
