#ifndef ENC_DV_DRIVER_DEFAULT_PIPELINE_H
#define ENC_DV_DRIVER_DEFAULT_PIPELINE_H

#include <cstdint>

#include "coding/segment_coder.h"
#include "common/frame_plan.h"
#include "driver/segment_reader.h"

namespace encdv {

// The default mode's segment: each macroblock read and transformed (TransformMacroblock), the
// quantization chosen by the plan's rate control (SelectQuantization), then coded.
class DefaultPipeline {
  public:
    DefaultPipeline(const FramePlan& plan, SourceReader* reader, int threadIndex);

    void StartSequence() {}
    // Codes the segment of the five macroblocks whose positions start at positions; last:
    // the segment is the last of its DIF sequence.
    void EncodeSegment(const int32_t* positions, bool last, SegmentData& coded);

  private:
    SegmentReader reader_;
    RateControl rateControl_;
    SegmentWork segment_;
};

}  // namespace encdv

#endif
