#ifndef ENC_DV_CODING_RD_SELECTION_H
#define ENC_DV_CODING_RD_SELECTION_H

#include "coding/rd_segment.h"
#include "common/fine_coefficients.h"
#include "common/macroblock_work.h"

namespace encdv {

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

// The best-quality choice of a segment's classes and QNOs: the one that minimises the
// weighted squared error plus lambda times the bits over all classes and QNOs, with lambda
// the smallest multiplier whose choice fits the segment's 2680 AC bits; then whatever bits
// remain are spent where they lower the error most. Quantizes every block from its fine
// magnitudes and the signs in its words, builds the nonzero lists and sets exact codeBits and
// totalBits, so that the segment coder places every bit: the segment never overflows.
//
// The phases, each in its own file: the DCT mode of each block (rd_dct_mode), the search
// over the multiplier ladder with rounded coefficients (rd_lambda_search, on ladder_search),
// then either the search with exact bits (rd_exact_search) and the fills of what is left
// (rd_fill), or, where even the coarsest steps overshoot, the coefficient choice alone
// (rd_overshoot); last the write-back into the macroblocks (rd_write_back).
void SelectQuantizationRd(MacroblockWork* macroblocks, FineMagnitudes& magnitudes,
                          RdSegmentWork& work, RdSearchState& state);

}  // namespace encdv

#endif
