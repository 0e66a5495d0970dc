#ifndef ENC_DV_COMMON_FRAME_PLAN_H
#define ENC_DV_COMMON_FRAME_PLAN_H

#include <cstdint>

#include "common/constants.h"
#include "common/rate_control.h"
#include "common/reader_variant.h"
#include "common/video_mode.h"

namespace encdv {

// Form of the header block and of the 525/60 header: IEC 61834-2, or SMPTE 314M.
enum class HeaderForm : int {
    kIec61834,
    kSmpte314M,
};

// Everything a compress call decided about its frame, made once from the caller's
// arguments before any stage runs and never changed afterwards. The stages read it instead
// of the caller's flags word, so that each option is decoded in one place.
struct FramePlan {
    // Video system: the final choice, from the picture size and the header form.
    VideoMode mode;
    int32_t sequenceCount;  // DIF sequences: 10 (525/60) or 12 (625/50)

    // Source picture, as the caller described it.
    ReaderVariant readerVariant;  // layout, and alpha weighting where the layout has alpha
    int32_t width;
    int32_t height;
    int32_t pitch;    // bytes from one line to the next; negative for bottom-up pictures
    bool swapFields;  // lines 2i and 2i+1 of every block exchange places

    // Stream form.
    HeaderForm headerForm;
    bool wide;             // VAUX announces a 16:9 picture
    bool withHeaderBlock;  // 150 DIF blocks per sequence, else 149
    bool videoOnly;        // header, subcode, VAUX and audio blocks are left untouched

    // Coding and threads.
    SegmentPipeline pipeline;
    RateControl rateControl;  // of the default pipeline; the best-quality one does not read it
    bool singleThread;  // encode on the calling thread alone
};

// Bytes of one DIF sequence (150 blocks, or 149 without the header block) and of the frame.
constexpr int32_t SequenceBytes(const FramePlan& plan) {
    return (plan.withHeaderBlock ? kDifBlocksPerSequence : kDifBlocksPerSequence - 1) *
           kDifBlockBytes;
}
constexpr int32_t FrameBytes(const FramePlan& plan) {
    return SequenceBytes(plan) * plan.sequenceCount;
}

}  // namespace encdv

#endif
