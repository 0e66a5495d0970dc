// The frame plan of a compress call.
#include "api/plan_frame.h"

#include "api/fourcc_map.h"
#include "common/constants.h"
#include "enc_dv.h"
#include "platform/quality_setting.h"

namespace encdv {

bool PlanFrame(int width, int height, int pitch, uint32_t flags, uint32_t fourcc, FramePlan* plan) {
    PixelFormatCode format;
    if (!MapFourcc(fourcc, &format)) return false;
    FramePlan p{};
    if (!SelectReaderVariant(format, (flags & DVENC_FLAG_ALPHA_WEIGHT) != 0, &p.readerVariant)) {
        return false;
    }
    // 720x480 and 720x486 are 525/60, which is always 4:1:1; any other size is 625/50,
    // 4:1:1 only in the SMPTE 314M form. A size that fits neither is refused by the reader.
    const bool is525 = width == kLineWidth && (height == 480 || height == 486);
    const bool smpte = (flags & DVENC_FLAG_SMPTE314M) != 0;
    p.mode = is525 ? MODE_525_411 : smpte ? MODE_625_411 : MODE_625_420;
    p.sequenceCount = is525 ? 10 : 12;
    p.width = width;
    p.height = height;
    p.pitch = pitch;
    p.swapFields = (flags & DVENC_FLAG_SWAP_FIELDS) != 0;
    p.headerForm = smpte ? HeaderForm::kSmpte314M : HeaderForm::kIec61834;
    p.wide = (flags & DVENC_FLAG_WIDE) != 0;
    p.withHeaderBlock = (flags & DVENC_FLAG_NO_HEADER_BLOCK) == 0;
    p.videoOnly = (flags & DVENC_FLAG_VIDEO_ONLY) != 0;
    // The Quality setting turns the best-quality mode on as if every call passed its flag.
    const bool best = (flags & DVENC_FLAG_BEST_QUALITY) != 0 || BestQualitySetting();
    p.pipeline = best ? SegmentPipeline::kBestQuality : SegmentPipeline::kDefault;
    p.rateControl =
        (flags & DVENC_FLAG_MB_QUANT) != 0 ? RateControl::kOnePass : RateControl::kSequential;
    p.singleThread = (flags & DVENC_FLAG_SINGLE_THREAD) != 0;
    *plan = p;
    return true;
}

}  // namespace encdv
