// The common compress path of DVCompressBuffer and CompressBuffer_DV.
#include "api/compress.h"

#include "api/dv_encoder.h"
#include "api/encoder_handle.h"
#include "api/initialization.h"
#include "api/plan_frame.h"
#include "common/constants.h"
#include "driver/frame_driver.h"
#include "platform/processor.h"
#include "platform/threads.h"

namespace encdv {
namespace {

int EncodeWithEncoderObject(EncoderHandle* handle, const FramePlan& plan, const void* source,
                            void* output) {
    CDVEncoder* encoder = CDVEncoder::Create(handle, plan);
    if (!encoder) return 0;
    const int result =
        EncodeFrame(encoder->plan, *encoder->pool, static_cast<const uint8_t*>(source),
                    static_cast<uint8_t*>(output));
    delete encoder;
    platform::ClearMmxState();
    return result;
}

}  // namespace

int CompressFrame(EncoderHandle* handle, const void* source, int sourcePitch, void* output,
                  int width, int height, uint32_t flags, uint32_t fourcc) {
    // Caller errors that can be seen without touching memory are refused here.
    if (!source || !output || width < kLineWidth) return 0;
    InitializeLibrary();
    FramePlan plan;
    if (!PlanFrame(width, height, sourcePitch, flags, fourcc, &plan)) return 0;
    if (!handle) return EncodeWithEncoderObject(nullptr, plan, source, output);
    // One frame at a time per handle: its worker pool and parked threads are shared.
    platform::EnterLock(handle->lock);
    const int result = EncodeWithEncoderObject(handle, plan, source, output);
    platform::LeaveLock(handle->lock);
    return result;
}

}  // namespace encdv
