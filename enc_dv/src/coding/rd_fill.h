#ifndef ENC_DV_CODING_RD_FILL_H
#define ENC_DV_CODING_RD_FILL_H

#include <cstdint>

#include "coding/rd_segment.h"
#include "common/fine_coefficients.h"

namespace encdv {

// Spends the bits left in q after the coefficient choice on finer classes, block by block,
// where the error falls most per estimated bit, each block quantized again at lambda; a step
// whose exact bits do not fit is undone.
void FillQuantizedByClass(const RdSegmentWork& work, const MacroblockWork* macroblocks,
                          const FineMagnitudes& magnitudes, uint64_t lambda, QuantizedSegment& q);

// Spends the bits still left on coefficients that the coefficient choice lowered or dropped,
// one step at a time where the error falls most per bit, so that no space stays unused that a
// coefficient could buy. Exact: each step counts the codes it changes.
void FillByCoefficient(const RdSegmentWork& work, const MacroblockWork* macroblocks,
                       const FineMagnitudes& magnitudes, QuantizedSegment& q);

}  // namespace encdv

#endif
