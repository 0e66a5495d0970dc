#ifndef ENC_DV_CODING_RD_OVERSHOOT_H
#define ENC_DV_CODING_RD_OVERSHOOT_H

#include "coding/rd_segment.h"
#include "common/fine_coefficients.h"

namespace encdv {

// Quantizes a segment whose coarsest steps overshoot even with every coefficient rounded
// (noise): the coarsest choice, with the multiplier of the coefficient choice alone searched
// for the smallest that fits (from startIndex, where the last such segment's ended: updated),
// then, in segment order, each block at the multiplier below while the bits allow. Colour
// errors weigh kOvershootChromaWeight. The result, which may still overshoot at the ladder's
// top, goes to work.quantized.
void QuantizeOvershooting(RdSegmentWork& work, const MacroblockWork* macroblocks,
                          const FineMagnitudes& magnitudes, int& startIndex);

}  // namespace encdv

#endif
