#include "coding/quant_selection.h"

#include <cstring>

#include "coding/bit_estimate_table.h"
#include "coding/block_bits.h"
#include "coding/block_coder.h"
#include "coding/code_length_table.h"
#include "coding/quantizer.h"
#include "coding/segment_coder.h"
#include "common/bit_scan.h"

namespace encdv {
namespace {

// Bits shared among the macroblocks by the sequential mode.
constexpr int32_t kSharedBits = 2288;
// Bits the one-pass mode shares out in proportion to the weights.
constexpr uint32_t kOnePassSharedBits = 2064;
// Every macroblock's target starts from this floor.
constexpr uint32_t kMinimumTarget = 48;
// targetBits holds the target plus the six end-of-block codes.
constexpr int32_t kTargetBias = kBlocksPerMacroblock * kEndOfBlockBits;
// A macroblock's floor and its end-of-block codes lie outside the shared budget, so it
// draws totalBits - 72 from R.
constexpr int32_t kPerMacroblockAllowance = static_cast<int32_t>(kMinimumTarget) + kTargetBias;
constexpr int32_t kToleranceFloor = 36;
// totalBits of a macroblock whose codes were not counted (one-pass mode).
constexpr int32_t kNotCounted = -1;
constexpr uint32_t kAllBlocksCoded = (1u << kBlocksPerMacroblock) - 1;
static_assert(kBlockCodeBytes >= kMaxBlockCodeBits / 8 + 8, "a block code store takes any code");

// Distance between patterns in BitEstimateTable, for walking one (shape, activity) column.
constexpr int kPatternStride = kShapeCount * kActivityIndexCount;

// The model of one segment: per block, its column of BitEstimateTable (pattern 0 entry at the
// block's shape and activity index), and per macroblock its activity weight.
struct SegmentModel {
    const uint8_t* column[kMacroblocksPerSegment][kBlocksPerMacroblock];
    uint32_t weight[kMacroblocksPerSegment];
    uint32_t totalWeight;
};

// Estimated AC bits of the macroblock at QNO q.
uint32_t EstimateMacroblock(const MacroblockWork& mb, const uint8_t* const* column, int q) {
    uint32_t bits = 0;
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        const int pattern = QuantPatternIndex[mb.blocks[b].classNumber][q];
        bits += EstimateValue(column[b][pattern * kPatternStride]);
    }
    return bits;
}

// Takes the finest QNO whose estimate is at most target (QNO 0 when none is), records it and
// the target, quantizes the six blocks and lists their nonzero coefficients.
void SearchQno(MacroblockWork& mb, const uint8_t* const* column, uint32_t target) {
    int q = kQnoCount - 1;
    while (q > 0 && EstimateMacroblock(mb, column, q) > target) --q;
    mb.qno = q;
    mb.targetBits = static_cast<int32_t>(target) + kTargetBias;
    mb.codedBlocks = 0;
    const QuantizerKernels& kernels = GetQuantizerKernels();
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        BlockWork& block = mb.blocks[b];
        kernels.quantize[QuantPatternIndex[block.classNumber][q]](block.coefficients);
        kernels.buildNonzeroList(block.coefficients, mb.nonzeroList[b]);
    }
}

// Counts the exact code lengths by coding every block into the macroblock's code store:
// the segment coder then copies the codes instead of coding them again. The classes are
// final, so the headers are too.
void CodeAndCountMacroblock(MacroblockWork& mb) {
    int32_t total = 0;
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        BlockWork& block = mb.blocks[b];
        block.codeBits =
            CodeBlockToStore(block, mb.nonzeroList[b], mb.blockCode[b]) - kBlockHeaderBits;
        total += block.codeBits;
    }
    mb.totalBits = total;
    mb.codedBlocks = kAllBlocksCoded;
}

void BuildModel(MacroblockWork* macroblocks, SegmentModel& model) {
    model.totalWeight = 1;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        uint32_t weight = 0;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            BlockWork& block = macroblocks[k].blocks[b];
            block.classNumber = BlockClass(b, block.maxAc);
            const uint8_t* column = &BitEstimateTable[0][BlockShape(block.maxAc, block.sumAc)]
                                                     [ActivityIndex(block.sumAc)];
            model.column[k][b] = column;
            weight += EstimateValue(column[3 * kPatternStride]) +
                      EstimateValue(column[7 * kPatternStride]);
        }
        model.weight[k] = weight;
        model.totalWeight += weight;
    }
}

// One-pass mode: each macroblock gets its share of the budget at once, without counting.
void SelectOnePass(MacroblockWork* macroblocks, const SegmentModel& model) {
    const uint32_t w = model.totalWeight;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        const uint32_t target =
            (model.weight[k] * kOnePassSharedBits + (w >> 1)) / w + kMinimumTarget;
        SearchQno(macroblocks[k], model.column[k], target);
        macroblocks[k].totalBits = kNotCounted;
    }
}

// Sequential mode: share what is left among this and the following macroblocks, count the
// result exactly and lower the QNO while it overshoots by more than the tolerance, which
// shrinks as fewer macroblocks remain to absorb the excess.
void SelectSequential(MacroblockWork* macroblocks, const SegmentModel& model) {
    int32_t remaining = kSharedBits;                 // R
    int32_t freeBits = kSegmentAcBits;               // C
    uint32_t w = model.totalWeight;                  // W
    int32_t following = kMacroblocksPerSegment - 1;  // n
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        MacroblockWork& mb = macroblocks[k];
        uint32_t target = kMinimumTarget;
        if (remaining >= 0) {
            target += (static_cast<uint32_t>(remaining) * model.weight[k] + (w >> 1)) / w;
        }
        SearchQno(mb, model.column[k], target);
        CodeAndCountMacroblock(mb);
        // Arithmetic shift: once the segment is over budget (C < 0) the tolerance turns
        // negative and the macroblock must come in under its target.
        const int32_t tolerance = ((following * freeBits) >> 4) + kToleranceFloor;
        // RequantizeMacroblock prunes and recounts every block it changes, so the lists and
        // counts stay those a full rebuild would give.
        while (mb.totalBits - mb.targetBits > tolerance && mb.qno > 0) {
            RequantizeMacroblock(mb, mb.qno - 1);
        }
        freeBits -= mb.totalBits;
        remaining += kPerMacroblockAllowance - mb.totalBits;
        w -= model.weight[k];
        --following;
    }
}

}  // namespace

int BlockClass(int blockIndex, int32_t maxAc) {
    // Counted thresholds rather than a chain of branches: the class varies from block to
    // block in a way no branch predictor follows.
    if (blockIndex < kBlockCr) {
        return static_cast<int>(maxAc > 23) + static_cast<int>(maxAc > 35) +
               static_cast<int>(maxAc > 255);
    }
    return 1 + static_cast<int>(maxAc > 4) + static_cast<int>(maxAc > 11);
}

int BlockShape(int32_t maxAc, int32_t sumAc) {
    // min(3, spread / step) by three comparisons instead of a division: the quotient is at
    // least k exactly when spread >= k * step (step is at most 65536, so 3 * step fits).
    const uint32_t spread = static_cast<uint32_t>(sumAc) - static_cast<uint32_t>(maxAc);
    const uint32_t step = static_cast<uint32_t>(maxAc) + 1;
    return static_cast<int>(spread >= step) + static_cast<int>(spread >= 2 * step) +
           static_cast<int>(spread >= 3 * step);
}

int ActivityIndex(int32_t sumAc) {
    uint32_t x = static_cast<uint32_t>(sumAc);
    uint32_t g = 0;
    if (x > 0x1FFFFF) {  // never for a 16-bit sum
        x >>= 16;
        g += 128;
    }
    // The steps without data-dependent branches: each shift is taken by 0 or its count.
    const uint32_t large = static_cast<uint32_t>(x > 8191);
    x >>= 8 * large;
    g += 64 * large;
    const uint32_t medium = static_cast<uint32_t>(x > 511);
    x >>= 4 * medium;
    g += 32 * medium;
    // x is now below 512: halve it until it is below 32, bit length - 5 times.
    const int excess = static_cast<int>(HighestBit(x | 1)) - 4;
    const uint32_t halvings = excess > 0 ? static_cast<uint32_t>(excess) : 0;
    x >>= halvings;
    g += 8 * halvings;
    const uint32_t index = (EstimateLog8[x] + g + 2) >> 2;
    return index > 31 ? 31 : static_cast<int>(index);
}

void RequantizeMacroblock(MacroblockWork& mb, int newQno) {
    const int oldQno = mb.qno;
    if (oldQno == 0) return;
    mb.qno = newQno;
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        BlockWork& block = mb.blocks[b];
        const int classNumber = block.classNumber;
        if (QuantPatternIndex[classNumber][oldQno] == QuantPatternIndex[classNumber][newQno]) {
            continue;
        }
        mb.totalBits -= block.codeBits;
        mb.codedBlocks &= ~(1u << b);  // the stored code is stale; the segment coder codes it
        StepDownArea(block.coefficients, classNumber, oldQno, newQno);
        block.codeBits = PruneAndCountBlockBits(block.coefficients, mb.nonzeroList[b]);
        mb.totalBits += block.codeBits;
    }
}

void SelectQuantization(MacroblockWork* macroblocks, RateControl rateControl) {
    SegmentModel model;
    BuildModel(macroblocks, model);
    switch (rateControl) {
        case RateControl::kOnePass:
            SelectOnePass(macroblocks, model);
            break;
        case RateControl::kSequential:
            SelectSequential(macroblocks, model);
            break;
    }
}

}  // namespace encdv
