#ifndef ENC_DV_DRIVER_BEST_QUALITY_PIPELINE_H
#define ENC_DV_DRIVER_BEST_QUALITY_PIPELINE_H

#include <cstdint>

#include "coding/rd_selection.h"
#include "coding/segment_coder.h"
#include "common/fine_coefficients.h"
#include "common/frame_plan.h"
#include "driver/segment_reader.h"

namespace encdv {

// The best-quality mode's segment: each macroblock read and transformed finely
// (TransformMacroblockFine, with the other DCT mode unless the last segment overshot even at
// its coarsest steps), the quantization searched (SelectQuantizationRd), then coded. Owns the
// search's scratch and the state it carries from segment to segment within a DIF sequence.
class BestQualityPipeline {
  public:
    BestQualityPipeline(const FramePlan& plan, SourceReader* reader, int threadIndex);

    // A DIF sequence starts the search afresh: a sequence codes alike whichever thread takes it.
    void StartSequence() { ResetRdSearch(state_); }
    // As DefaultPipeline::EncodeSegment.
    void EncodeSegment(const int32_t* positions, bool last, SegmentData& coded);

  private:
    SegmentReader reader_;
    SegmentWork segment_;
    FineMagnitudes fine_;
    RdSegmentWork work_;
    RdSearchState state_;
};

}  // namespace encdv

#endif
