#ifndef ENC_DV_CODING_QUANT_SELECTION_H
#define ENC_DV_CODING_QUANT_SELECTION_H

#include <cstdint>

#include "common/constants.h"
#include "common/macroblock_work.h"
#include "common/rate_control.h"

namespace encdv {

// Chooses classes and QNOs for the segment's five macroblocks by the rate control, quantizes
// them and builds their nonzero lists (and, in the sequential mode, the exact code lengths;
// the one-pass mode sets totalBits to -1 instead, so that no one takes the stale codeBits
// for exact).
void SelectQuantization(MacroblockWork* macroblocks, RateControl rateControl);

// Class number 0-3 of block blockIndex (0-3 luminance, 4-5 colour difference) from maxAc.
int BlockClass(int blockIndex, int32_t maxAc);

// Shape 0-3: (sumAc - maxAc) / (maxAc + 1) in unsigned arithmetic, capped at 3.
int BlockShape(int32_t maxAc, int32_t sumAc);

// Activity index 0-31, about twice the base-2 logarithm of sumAc.
int ActivityIndex(int32_t sumAc);

// Lowers the macroblock's QNO by one step to newQno (= qno - 1): re-quantizes the blocks
// whose step pattern changes and updates their lists, codeBits and totalBits. Does nothing
// at QNO 0.
void RequantizeMacroblock(MacroblockWork& macroblock, int newQno);

}  // namespace encdv

#endif
