// The common compress path of DVCompressBuffer and CompressBuffer_DV.
#include "api/compress.h"

#include "api/dv_encoder.h"
#include "api/encoder_handle.h"
#include "api/initialization.h"
#include "api/pixel_format.h"
#include "api/video_mode.h"
#include "driver/frame_driver.h"
#include "platform/processor.h"
#include "platform/threads.h"

namespace encdv {
namespace {

constexpr int kPictureWidth = 720;

int EncodeWithEncoderObject(EncoderHandle* handle, const void* source, int sourcePitch,
                            void* output, int width, int height, uint32_t flags,
                            PixelFormatCode format) {
    CDVEncoder* encoder = CDVEncoder::Create(handle);
    if (!encoder) return 0;
    // First choice of the system, from the picture size alone; the driver makes the
    // final one once the flags are known.
    const bool is525 = width == kPictureWidth && (height == 480 || height == 486);
    encoder->SelectSystem(is525 ? MODE_525_411 : MODE_625_420);
    const int result =
        EncodeFrame(*encoder, static_cast<uint8_t*>(output), static_cast<const uint8_t*>(source),
                    sourcePitch, width, height, flags, format);
    delete encoder;
    platform::ClearMmxState();
    return result;
}

}  // namespace

int CompressFrame(EncoderHandle* handle, const void* source, int sourcePitch, void* output,
                  int width, int height, uint32_t flags, uint32_t fourcc) {
    // Caller errors that can be seen without touching memory are refused here.
    if (!source || !output || width < kPictureWidth) return 0;
    InitializeLibrary();
    PixelFormatCode format;
    if (!MapFourcc(fourcc, &format)) return 0;
    if (!handle) {
        return EncodeWithEncoderObject(nullptr, source, sourcePitch, output, width, height, flags,
                                       format);
    }
    // One frame at a time per handle: its worker records and parked threads are shared.
    platform::EnterLock(handle->lock);
    const int result =
        EncodeWithEncoderObject(handle, source, sourcePitch, output, width, height, flags, format);
    platform::LeaveLock(handle->lock);
    return result;
}

}  // namespace encdv
