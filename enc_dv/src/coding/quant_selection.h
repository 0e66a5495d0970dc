#ifndef ENC_DV_CODING_QUANT_SELECTION_H
#define ENC_DV_CODING_QUANT_SELECTION_H

#include <cstdint>

#include "transform/macroblock_work.h"

namespace encdv {

constexpr int kMacroblocksPerSegment = 5;

// Chooses classes and QNOs for the segment's five macroblocks, quantizes them and builds
// their nonzero lists (and, in the sequential mode, the exact code lengths).
void SelectQuantization(MacroblockWork* macroblocks, uint32_t flags);

}  // namespace encdv

#endif
