#ifndef ENC_DV_API_PLAN_FRAME_H
#define ENC_DV_API_PLAN_FRAME_H

#include <cstdint>

#include "common/frame_plan.h"

namespace encdv {

// Decodes the caller's picture size, pitch, flags word and FOURCC into the frame plan: the
// only place where a flag bit is tested or the video system chosen. False (plan untouched)
// when the FOURCC is not accepted; the geometry is checked later, by the reader.
bool PlanFrame(int width, int height, int pitch, uint32_t flags, uint32_t fourcc, FramePlan* plan);

}  // namespace encdv

#endif
