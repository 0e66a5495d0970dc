// The per-frame encoder object and its choice of video system.
#include "api/dv_encoder.h"

#include "api/encoder_handle.h"
#include "api/video_mode.h"
#include "driver/shuffle.h"
#include "platform/memory.h"

namespace encdv {

int CDVCoder::SelectSystem(int modeWord) {
    const int mode = modeWord & 0xFF;
    if (mode != MODE_625_420 && mode != MODE_625_411 && mode != MODE_525_411) return 0;
    const int32_t* table = GetShuffleTable(mode);
    if (!table) return 0;
    is525 = mode == MODE_525_411 ? 1 : 0;
    sequenceCount = is525 ? 10 : 12;
    shuffleTable = table;
    systemSelected = 1;
    return 1;
}

void* CDVCoder::operator new(std::size_t bytes) noexcept {
    return platform::AllocateMemory(bytes);
}

void CDVCoder::operator delete(void* block) {
    platform::FreeMemory(block);
}

CDVEncoder::~CDVEncoder() {
    if (!handle) platform::FreeMemory(workers);
}

CDVEncoder* CDVEncoder::Create(EncoderHandle* handle) {
    auto* encoder = new CDVEncoder();
    if (!encoder) return nullptr;
    if (handle && handle->workers) {
        encoder->handle = handle;
        encoder->workers = handle->workers;
        return encoder;
    }
    // A private array, cleared so that no record claims a thread it does not have.
    encoder->workers = static_cast<WorkerRecord*>(
        platform::AllocateZeroedMemory(kMaxThreads * sizeof(WorkerRecord)));
    if (!encoder->workers) {
        delete encoder;
        return nullptr;
    }
    return encoder;
}

}  // namespace encdv
