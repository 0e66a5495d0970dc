#ifndef ENC_DV_CODING_RD_DCT_MODE_H
#define ENC_DV_CODING_RD_DCT_MODE_H

#include <cstdint>

#include "coding/rd_segment.h"
#include "common/fine_coefficients.h"

namespace encdv {

// Puts each block of the segment in the DCT mode that codes it better and measures it there
// (work.blocks): where the transform worked out the other mode too and the guesses of the two
// code sizes differ clearly, the smaller; where they are close, the one with the lower cost at
// lambda. A block that changes mode takes the other mode's magnitudes and signs.
void ChooseDctModes(MacroblockWork* macroblocks, FineMagnitudes& magnitudes, RdSegmentWork& work,
                    uint64_t lambda);

}  // namespace encdv

#endif
