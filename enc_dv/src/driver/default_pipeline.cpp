#include "driver/default_pipeline.h"

#include "coding/quant_selection.h"
#include "transform/macroblock_transform.h"

namespace encdv {

DefaultPipeline::DefaultPipeline(const FramePlan& plan, SourceReader* reader, int threadIndex)
    : reader_(plan, reader, threadIndex), rateControl_(plan.rateControl) {
    for (MacroblockWork& work : segment_.macroblocks) PrepareMacroblockWork(work);
}

void DefaultPipeline::EncodeSegment(const int32_t* positions, bool last, SegmentData& coded) {
    for (int m = 0; m < kMacroblocksPerSegment; ++m) {
        MacroblockWork& work = segment_.macroblocks[m];
        const bool lastRead = last && m == kMacroblocksPerSegment - 1;
        TransformMacroblock(work, reader_.Read(positions, m, lastRead, work));
    }
    SelectQuantization(segment_.macroblocks, rateControl_);
    CodeSegment(segment_, coded);
}

}  // namespace encdv
