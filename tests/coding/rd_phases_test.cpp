// The phases of the best-quality selection one at a time, on segments built to reach the paths
// that the benchmark clips never take: measured DCT modes where the size guesses are close,
// colour difference weighed alike in Cr and Cb, one step more for a lowered coefficient, a
// class step undone when its exact bits do not fit, the exact search climbing where the
// estimates were short, and the trim of a segment that still overshoots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "coding/block_bits.h"
#include "coding/code_length_table.h"
#include "coding/quant_tables.h"
#include "coding/rd_coefficients.h"
#include "coding/rd_cost.h"
#include "coding/rd_dct_mode.h"
#include "coding/rd_exact_search.h"
#include "coding/rd_fill.h"
#include "coding/rd_lambda_search.h"
#include "coding/rd_selection.h"
#include "coding/rd_tables.h"
#include "coding/rd_write_back.h"
#include "coding/segment_coder.h"
#include "support/dv_video_parser.h"

namespace encdv {
namespace {

constexpr uint32_t kSeed = 0x5eed3a07;

BlockWork& BlockOf(SegmentWork& segment, int j) {
    return segment.macroblocks[j / kBlocksPerMacroblock].blocks[j % kBlocksPerMacroblock];
}

// A segment and the search's scratch (static in the tests: the scratch is large).
struct Bench {
    SegmentWork segment;
    FineMagnitudes fine;
    RdSegmentWork work;
    RdSearchState state;

    // Every block empty, in the 8-8 mode, with positive signs.
    void Clear() {
        for (MacroblockWork& mb : segment.macroblocks) PrepareMacroblockWork(mb);
        fine = FineMagnitudes{};
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            BlockOf(segment, j).dctMode = 0;
            for (int k = 0; k < 64; ++k) BlockOf(segment, j).coefficients[k] = 0;
        }
        ResetRdSearch(state);
    }
    // Magnitudes falling off with the scan position; hardness 0 empty, 9 about noise.
    void Fill(std::mt19937& rng, int hardness) {
        Clear();
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            BlockOf(segment, j).dctMode = static_cast<int32_t>(rng() % 2);
            for (int k = 1; k < 64; ++k) {
                const uint32_t scale = (160u * hardness * hardness) / (k + 3);
                const uint32_t m = scale == 0 ? 0 : rng() % (scale + 1);
                fine.blocks[j][k] = static_cast<uint16_t>(m > 2047 ? 2047 : m);
                BlockOf(segment, j).coefficients[k] = rng() % 2 ? kSignBit : 0;
            }
        }
    }
    // The same content as another bench (the records hold pointers into their own storage,
    // so a plain copy would share it).
    void CopyContent(const Bench& from) {
        Clear();
        fine = from.fine;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            BlockOf(segment, j).dctMode = from.segment.macroblocks[j / 6].blocks[j % 6].dctMode;
            std::memcpy(BlockOf(segment, j).coefficients,
                        from.segment.macroblocks[j / 6].blocks[j % 6].coefficients,
                        64 * sizeof(CoefficientWord));
        }
    }
    // Measures every block in its mode and sets the cost terms, as the first phase does.
    void Measure() {
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            MeasureBlockRd(fine.blocks[j], BlockOf(segment, j).dctMode, work.blocks[j]);
        }
        PrepareCostTerms(work);
    }
};

// Where the two modes' code-size guesses are within the margin, both are measured and the
// cheaper one is taken: an empty block costs only its end-of-block code, one coefficient more
// costs error or bits, whichever of the two modes holds which.
TEST(RdPhases, CloseDctModeGuessesAreSettledByMeasuredCost) {
    static Bench bench;
    for (const bool emptyIsOther : {true, false}) {
        SCOPED_TRACE(emptyIsOther ? "the empty block is the other mode" : "the empty one is own");
        bench.Clear();
        const int j = 7;
        uint16_t* own = bench.fine.blocks[j];
        uint16_t* other = bench.fine.other[j];
        (emptyIsOther ? own : other)[3] = 8;  // one whole coefficient: a guess of 2 bits
        bench.fine.otherValid[j] = true;
        bench.fine.otherSigns[j] = 0;
        for (const int lambdaIndex : {40, 128, 220}) {
            BlockOf(bench.segment, j).dctMode = 0;
            uint16_t ownCopy[64];
            std::memcpy(ownCopy, own, sizeof ownCopy);
            ChooseDctModes(bench.segment.macroblocks, bench.fine, bench.work,
                           LambdaAt(lambdaIndex));
            EXPECT_EQ(BlockOf(bench.segment, j).dctMode, emptyIsOther ? 1 : 0) << lambdaIndex;
            EXPECT_EQ(own[3], 0) << lambdaIndex;
            std::memcpy(own, ownCopy, sizeof ownCopy);  // as before the choice, for the next
        }
    }
}

// Cr and Cb are weighed alike: a segment with the two blocks' contents exchanged in every
// macroblock gets the same QNOs and the classes and amplitudes exchanged.
TEST(RdPhases, CrAndCbWeighAlike) {
    std::mt19937 rng(kSeed);
    static Bench first;
    static Bench swapped;
    for (int trial = 0; trial < 6; ++trial) {
        first.Fill(rng, 3 + trial);
        swapped.CopyContent(first);
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            const int cr = kBlocksPerMacroblock * k + kBlockCr;
            const int cb = kBlocksPerMacroblock * k + kBlockCb;
            BlockWork& a = swapped.segment.macroblocks[k].blocks[kBlockCr];
            BlockWork& b = swapped.segment.macroblocks[k].blocks[kBlockCb];
            std::swap(a.dctMode, b.dctMode);
            std::swap_ranges(a.coefficients, a.coefficients + 64, b.coefficients);
            std::swap(swapped.fine.blocks[cr], swapped.fine.blocks[cb]);
        }
        SelectQuantizationRd(first.segment.macroblocks, first.fine, first.work, first.state);
        SelectQuantizationRd(swapped.segment.macroblocks, swapped.fine, swapped.work,
                             swapped.state);
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            const MacroblockWork& a = first.segment.macroblocks[k];
            const MacroblockWork& b = swapped.segment.macroblocks[k];
            EXPECT_EQ(a.qno, b.qno) << trial << " " << k;
            EXPECT_EQ(a.blocks[kBlockCr].classNumber, b.blocks[kBlockCb].classNumber);
            EXPECT_EQ(a.blocks[kBlockCb].classNumber, b.blocks[kBlockCr].classNumber);
            EXPECT_EQ(0, std::memcmp(a.blocks[kBlockCr].coefficients,
                                     b.blocks[kBlockCb].coefficients, 64 * sizeof(CoefficientWord)))
                << trial << " " << k;
        }
    }
}

// Each block's exact bits, and their sum, from the amplitudes.
void SetExactRates(QuantizedSegment& q) {
    q.bits = 0;
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        CoefficientWord words[64] = {};
        for (int k = 1; k < 64; ++k) words[k] = q.amplitudes[j][k];
        uint8_t list[64];
        BuildNonzeroList(words, list);
        q.rate[j] = CountBlockBits(words, list);
        q.bits += q.rate[j];
    }
}

// Step 1 everywhere (class 0, QNO 15), every amplitude zero.
void StepOneEverywhere(QuantizedSegment& q) {
    for (int k = 0; k < kMacroblocksPerSegment; ++k) q.choice.qno[k] = kQnoCount - 1;
    for (int j = 0; j < kBlocksPerSegment; ++j) q.choice.classNumber[j] = 0;
    std::memset(q.amplitudes, 0, sizeof q.amplitudes);
}

// With room to spare, a coefficient the coefficient choice lowered by one step gets it back
// when that takes its error to zero, and the counts stay exact.
TEST(RdPhases, FillRaisesALoweredCoefficientByOneStep) {
    static Bench bench;
    bench.Clear();
    bench.fine.blocks[0][1] = 3 << kRdFractionBits;  // exactly 3 at step 1
    bench.fine.blocks[9][5] = 7 << kRdFractionBits;  // exactly 7
    bench.Measure();
    QuantizedSegment& q = bench.work.quantized;
    StepOneEverywhere(q);
    q.amplitudes[0][1] = 2;  // each one step low
    q.amplitudes[9][5] = 6;
    SetExactRates(q);
    FillByCoefficient(bench.work, bench.segment.macroblocks, bench.fine, q);
    EXPECT_EQ(q.amplitudes[0][1], 3);
    EXPECT_EQ(q.amplitudes[9][5], 7);
    const int32_t bits = q.bits;
    SetExactRates(q);
    EXPECT_EQ(bits, q.bits);
}

// A class step whose estimated bits fit but whose exact bits do not is undone: the block
// keeps its class and amplitudes, and the segment stays within its room.
TEST(RdPhases, ClassStepThatDoesNotFitIsUndone) {
    std::mt19937 rng(kSeed + 1);
    static Bench bench;
    bench.Fill(rng, 5);
    const int j = 12;
    // Block j: twenty large coefficients, whose finer steps take many more bits.
    for (int k = 1; k < 64; ++k)
        bench.fine.blocks[j][k] = k <= 20 ? (41 << kRdFractionBits) + 3 : 0;
    bench.Measure();
    QuantizedSegment& q = bench.work.quantized;
    // Every block at its coarsest pattern but j, which is one class above its finest.
    for (int k = 0; k < kMacroblocksPerSegment; ++k) q.choice.qno[k] = 0;
    for (int b = 0; b < kBlocksPerSegment; ++b) q.choice.classNumber[b] = 3;
    q.choice.classNumber[j] = 1;
    // The smallest multiplier on a coarse grid at which the segment fits with room to spare.
    uint64_t lambda = 0;
    for (int index = 0; index < kLambdaSteps; index += 8) {
        lambda = LambdaAt(index);
        q.bits = 0;
        for (int b = 0; b < kBlocksPerSegment; ++b) {
            q.rate[b] = QuantizeBlockRd(bench.fine.blocks[b], bench.work.blocks[b].rounding,
                                        BlockOf(bench.segment, b).dctMode, Pattern(q.choice, b),
                                        WeightScale(b), lambda, q.amplitudes[b]);
            q.bits += q.rate[b];
        }
        if (q.bits < kSegmentAcBits - 8) break;
    }
    ASSERT_LT(q.bits, kSegmentAcBits - 8);
    // The estimates claim the finer class costs one bit more, and the room is a few bits.
    const int to = QuantPatternIndex[0][0];
    bench.work.blocks[j].rate[to] = q.rate[j] + 1;
    bench.work.blocks[j].distortion[to] = 0;
    // No other block has a finer class to step to.
    for (int b = 0; b < kBlocksPerSegment; ++b) {
        for (int p = 0; p < kQuantPatternCount; ++p) {
            if (b != j && p != Pattern(q.choice, b)) bench.work.blocks[b].rate[p] = kInvalidRate;
        }
    }
    const int32_t padding = kSegmentAcBits - 4 - q.bits;
    q.rate[(j + 1) % kBlocksPerSegment] += padding;  // a stand-in for the other blocks' bits
    q.bits += padding;
    uint8_t before[64];
    std::memcpy(before, q.amplitudes[j], 64);
    uint8_t finer[64];
    ASSERT_GT(QuantizeBlockRd(bench.fine.blocks[j], bench.work.blocks[j].rounding,
                              BlockOf(bench.segment, j).dctMode, to, WeightScale(j), lambda, finer),
              q.rate[j] + 4);
    FillQuantizedByClass(bench.work, bench.segment.macroblocks, bench.fine, lambda, q);
    EXPECT_EQ(q.choice.classNumber[j], 1);
    EXPECT_EQ(0, std::memcmp(before, q.amplitudes[j], 64));
    EXPECT_LE(q.bits, kSegmentAcBits);
}

// Estimates that fall short: the rounded search settles on a multiplier whose choice's exact
// bits do not fit, and the exact search climbs to one whose do (wherever the coarsest choice's
// do); after the fills and the write-back the segment fits in any case.
TEST(RdPhases, ExactSearchClimbsWhereTheEstimatesFellShort) {
    std::mt19937 rng(kSeed + 2);
    static Bench bench;
    static RoundedSearch rounded;
    // Exact bits of a choice under the coefficient choice at lambda.
    auto exactBits = [](const SegmentChoice& choice, uint64_t lambda) {
        int32_t bits = 0;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            uint8_t amplitudes[64];
            bits += QuantizeBlockRd(bench.fine.blocks[j], bench.work.blocks[j].rounding,
                                    BlockOf(bench.segment, j).dctMode, Pattern(choice, j),
                                    WeightScale(j), lambda, amplitudes);
        }
        return bits;
    };
    int climbs = 0;
    for (int trial = 0; trial < 16; ++trial) {
        bench.Fill(rng, 4 + trial % 4);
        bench.Measure();
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            for (int p = 0; p < kQuantPatternCount; ++p) {
                bench.work.costRate[j][p] = bench.work.costRate[j][p] * 3 / 4;
                int32_t& rate = bench.work.blocks[j].rate[p];
                if (rate != kInvalidRate) rate = rate * 3 / 4;
            }
        }
        SearchRoundedLambda(bench.work, 128, rounded);
        if (rounded.Overshot()) continue;
        const uint64_t lambda = LambdaAt(rounded.bracket.fits);
        climbs += exactBits(rounded.fitting, lambda) > kSegmentAcBits;
        SegmentChoice coarsest;
        ChooseAt(bench.work, LambdaAt(kLambdaSteps - 1), coarsest);
        const bool anyFits = exactBits(coarsest, lambda) <= kSegmentAcBits;

        SearchExactLambda(bench.work, bench.segment.macroblocks, bench.fine, rounded);
        QuantizedSegment& q = bench.work.quantized;
        int32_t sum = 0;
        for (int j = 0; j < kBlocksPerSegment; ++j) sum += q.rate[j];
        EXPECT_EQ(sum, q.bits) << trial;
        if (anyFits) {
            EXPECT_LE(q.bits, kSegmentAcBits) << trial;
        }
        FillQuantizedByClass(bench.work, bench.segment.macroblocks, bench.fine, lambda, q);
        FillByCoefficient(bench.work, bench.segment.macroblocks, bench.fine, q);
        WriteBackRd(bench.segment.macroblocks, bench.fine, q);
        int32_t total = 0;
        for (int j = 0; j < kBlocksPerSegment; ++j) total += BlockOf(bench.segment, j).codeBits;
        EXPECT_LE(total, kSegmentAcBits) << trial;
    }
    EXPECT_GE(climbs, 3);
}

// A segment that still overshoots when written back loses its last coded coefficients, block
// by block, until it fits; everything else stays, and the coded segment reads back.
TEST(RdPhases, WriteBackTrimsAnOverfullSegmentToFit) {
    std::mt19937 rng(kSeed + 3);
    static Bench bench;
    bench.Fill(rng, 9);
    QuantizedSegment& q = bench.work.quantized;
    StepOneEverywhere(q);
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        for (int k = 1; k < 64; ++k) q.amplitudes[j][k] = static_cast<uint8_t>(1 + rng() % 20);
    }
    SetExactRates(q);
    ASSERT_GT(q.bits, kSegmentAcBits);
    WriteBackRd(bench.segment.macroblocks, bench.fine, q);
    int32_t total = 0;
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        const BlockWork& block = BlockOf(bench.segment, j);
        // A prefix of the coefficients is kept, unchanged; the rest is dropped.
        int k = 1;
        while (k < 64 && (block.coefficients[k] & 0xFF) == q.amplitudes[j][k]) ++k;
        for (int rest = k; rest < 64; ++rest) {
            EXPECT_EQ(block.coefficients[rest] & 0xFF, 0) << j << " " << rest;
        }
        uint8_t list[64];
        BuildNonzeroList(block.coefficients, list);
        EXPECT_EQ(block.codeBits, CountBlockBits(block.coefficients, list)) << j;
        total += block.codeBits;
    }
    EXPECT_LE(total, kSegmentAcBits);
    EXPECT_GT(total, kSegmentAcBits - 200);  // trimmed only as far as needed

    SegmentData coded;
    CodeSegment(bench.segment, coded);
    uint8_t blocks[5 * 80] = {};
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        blocks[80 * k] = 0x90;
        blocks[80 * k + 3] = coded.staQno[k];
        std::memcpy(blocks + 80 * k + 4, coded.data + kVideoDataBytes * k, kVideoDataBytes);
    }
    test::ParsedSegment parsed;
    std::string why;
    ASSERT_TRUE(test::ParseVideoSegment(blocks, parsed, &why)) << why;
    EXPECT_EQ(parsed.incompleteBlocks, 0);
}

}  // namespace
}  // namespace encdv
