// The per-frame encoder object.
#include "api/dv_encoder.h"

#include "api/encoder_handle.h"
#include "platform/memory.h"

namespace encdv {

void* CDVCoder::operator new(std::size_t bytes) noexcept {
    return platform::AllocateMemory(bytes);
}

void CDVCoder::operator delete(void* block) {
    platform::FreeMemory(block);
}

CDVEncoder::~CDVEncoder() {
    if (!handle) DestroyWorkerPool(pool);
}

CDVEncoder* CDVEncoder::Create(EncoderHandle* handle, const FramePlan& plan) {
    auto* encoder = new CDVEncoder();
    if (!encoder) return nullptr;
    encoder->plan = plan;
    if (handle && handle->pool) {
        encoder->handle = handle;
        encoder->pool = handle->pool;
        return encoder;
    }
    encoder->pool = CreateWorkerPool(false);
    if (!encoder->pool) {
        delete encoder;
        return nullptr;
    }
    return encoder;
}

}  // namespace encdv
