#include "driver/best_quality_pipeline.h"

#include "transform/macroblock_transform_fine.h"

namespace encdv {

BestQualityPipeline::BestQualityPipeline(const FramePlan& plan, SourceReader* reader,
                                         int threadIndex)
    : reader_(plan, reader, threadIndex) {
    for (MacroblockWork& work : segment_.macroblocks) PrepareMacroblockWork(work);
    ResetRdSearch(state_);
}

void BestQualityPipeline::EncodeSegment(const int32_t* positions, bool last, SegmentData& coded) {
    for (int m = 0; m < kMacroblocksPerSegment; ++m) {
        MacroblockWork& work = segment_.macroblocks[m];
        const bool lastRead = last && m == kMacroblocksPerSegment - 1;
        TransformMacroblockFine(work, reader_.Read(positions, m, lastRead, work), fine_, m,
                                !state_.overshooting);
    }
    SelectQuantizationRd(segment_.macroblocks, fine_, work_, state_);
    CodeSegment(segment_, coded);
}

}  // namespace encdv
