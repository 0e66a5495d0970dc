#ifndef ENC_DV_CODING_RD_SELECTION_H
#define ENC_DV_CODING_RD_SELECTION_H

#include <cstdint>

#include "coding/rd_block.h"
#include "common/constants.h"
#include "common/macroblock_work.h"

namespace encdv {

constexpr int kBlocksPerSegment = kMacroblocksPerSegment * kBlocksPerMacroblock;

// What the search carries from one segment to the next: where the last segment's Lagrange
// multiplier stood, the first guess for the next. Reset at the start of every DIF sequence,
// so that a sequence codes the same whichever thread takes it.
struct RdSearchState {
    int lambdaIndex;
};
void ResetRdSearch(RdSearchState& state);

// Scratch of the search for one segment, kept on the encoding thread's stack.
struct RdSegmentWork {
    alignas(16) uint16_t magnitudes[kBlocksPerSegment][64];
    BlockRd blocks[kBlocksPerSegment];
};

// The best-quality choice of a segment's classes and QNOs: the one that minimises the
// weighted squared error plus lambda times the bits over all classes and QNOs, with lambda
// the smallest multiplier whose choice fits the segment's 2680 AC bits; then whatever bits
// remain are spent where they lower the error most. Quantizes every block (rounding to the
// nearest step), builds the nonzero lists and sets exact codeBits and totalBits, so that
// the segment coder places every bit: the segment never overflows.
void SelectQuantizationRd(MacroblockWork* macroblocks, RdSegmentWork& work, RdSearchState& state);

}  // namespace encdv

#endif
