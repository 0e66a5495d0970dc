#ifndef ENC_DV_CODING_RD_COST_H
#define ENC_DV_CODING_RD_COST_H

// The cost the best-quality mode minimises: a block's weighted squared error, scaled by 2^16,
// plus lambda times its bits; and the choice of classes and QNOs that minimises it for a
// segment at one lambda.
#include <cstdint>

#include "coding/rd_segment.h"

namespace encdv {

// The least error + lambda x bits of a block over the step patterns (its errors as measured).
int64_t LeastCost(const BlockRd& rd, uint64_t lambda);

// Weighs the measured errors of the segment's blocks (colour difference at kChromaWeight) and
// sets their terms of the search's cost, scaledError and costRate.
void PrepareCostTerms(RdSegmentWork& work);

// The classes and QNOs minimising error + lambda x bits over the segment (the finer QNO and
// the finer class on a tie), with each macroblock's bits and their total; returns the total.
int32_t ChooseAt(const RdSegmentWork& work, uint64_t lambda, SegmentChoice& choice);

}  // namespace encdv

#endif
