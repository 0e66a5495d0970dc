#ifndef ENC_DV_CODING_RD_EXACT_SEARCH_H
#define ENC_DV_CODING_RD_EXACT_SEARCH_H

#include "coding/rd_lambda_search.h"
#include "coding/rd_segment.h"
#include "common/fine_coefficients.h"

namespace encdv {

// The search again with exact bits, once the rounded one has found its multiplier (not
// overshooting): each block quantized coefficient by coefficient at the rounded search's
// multiplier (lowering or dropping coefficients where it pays), once per block and pattern;
// up the ladder where those bits still overshoot, then down by at most kCoefficientDescent
// steps, which the bits the coefficient choice saves may pay for. The smallest index whose
// exact bits fit, with its choice and amplitudes, goes to work.quantized; returns the index
// the rounded search's bracket ends at after the climb (where the next segment starts).
int SearchExactLambda(RdSegmentWork& work, const MacroblockWork* macroblocks,
                      const FineMagnitudes& magnitudes, const RoundedSearch& rounded);

}  // namespace encdv

#endif
