#ifndef ENC_DV_CODING_RD_SELECTION_H
#define ENC_DV_CODING_RD_SELECTION_H

#include <cstdint>

#include "coding/rd_block.h"
#include "common/constants.h"
#include "common/fine_coefficients.h"
#include "common/macroblock_work.h"

namespace encdv {

constexpr int kBlocksPerSegment = kMacroblocksPerSegment * kBlocksPerMacroblock;

// What the search carries from one segment to the next: where the last segment's Lagrange
// multipliers stood, the first guesses for the next. Reset at the start of every DIF sequence,
// so that a sequence codes the same whichever thread takes it.
struct RdSearchState {
    int lambdaIndex;     // of the search with rounded coefficients
    int overshootIndex;  // of the coefficient choice where even the coarsest steps overshoot
    // The last segment overshot even at the coarsest steps: the next one most likely does too,
    // and there the DCT mode that codes a block better is not worth working out (measured on
    // noise: a quarter of the time for 0.1 dB of luminance, colour still above the default's).
    bool overshooting;
};
void ResetRdSearch(RdSearchState& state);

// A choice for a whole segment: per macroblock its QNO and bits, per block its class.
struct SegmentChoice {
    int32_t qno[kMacroblocksPerSegment];
    int32_t macroblockBits[kMacroblocksPerSegment];
    uint8_t classNumber[kBlocksPerSegment];
    int32_t bits;
};

// A choice quantized coefficient by coefficient: the amplitudes and exact bits of every block.
struct QuantizedSegment {
    SegmentChoice choice;
    uint8_t amplitudes[kBlocksPerSegment][64];
    int32_t rate[kBlocksPerSegment];
    int32_t bits;
};

// Scratch of the search for one segment, kept on the encoding thread's stack.
struct RdSegmentWork {
    BlockRd blocks[kBlocksPerSegment];  // rounded, per step pattern
    // The terms of each block and pattern's cost in the search: error x 2^16 and bits (an
    // invalid pattern: an error above every cost, no bits).
    int64_t scaledError[kBlocksPerSegment][kQuantPatternCount];
    int32_t costRate[kBlocksPerSegment][kQuantPatternCount];
    // Bits and amplitudes of each block and pattern under the coefficient choice; -1: not yet.
    int16_t choiceRate[kBlocksPerSegment][kQuantPatternCount];
    uint8_t choiceAmplitudes[kBlocksPerSegment][kQuantPatternCount][64];
    QuantizedSegment quantized;
    QuantizedSegment finer;
    BlockRd otherMode;  // a block measured under its other DCT mode
};

// The best-quality choice of a segment's classes and QNOs: the one that minimises the
// weighted squared error plus lambda times the bits over all classes and QNOs, with lambda
// the smallest multiplier whose choice fits the segment's 2680 AC bits; then whatever bits
// remain are spent where they lower the error most. Quantizes every block (rounding to the
// nearest step) from its fine magnitudes and the signs in its words, builds the nonzero lists and
// sets exact codeBits and totalBits, so that the segment coder places every bit: the segment never
// overflows.
void SelectQuantizationRd(MacroblockWork* macroblocks, FineMagnitudes& magnitudes,
                          RdSegmentWork& work, RdSearchState& state);

}  // namespace encdv

#endif
