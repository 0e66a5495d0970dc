#ifndef ENC_DV_CODING_RD_WRITE_BACK_H
#define ENC_DV_CODING_RD_WRITE_BACK_H

#include "coding/rd_segment.h"
#include "common/fine_coefficients.h"

namespace encdv {

// Writes the quantized segment into the macroblocks: QNOs, classes, the amplitudes into the
// coefficient words beside their signs, nonzero lists and exact codeBits and totalBits. A
// segment that still overshoots (only where even the coarsest choice does) then loses, one at
// a time, the last coded coefficient of the block where that costs the least error per bit
// saved, until it fits.
void WriteBackRd(MacroblockWork* macroblocks, const FineMagnitudes& magnitudes,
                 const QuantizedSegment& q);

}  // namespace encdv

#endif
