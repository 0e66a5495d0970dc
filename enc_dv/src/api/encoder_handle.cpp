// Creation and destruction of encoder handles.
#include "api/encoder_handle.h"

#include "platform/memory.h"

namespace encdv {

EncoderHandle* CreateEncoderHandle() {
    auto* handle =
        static_cast<EncoderHandle*>(platform::AllocateZeroedMemory(sizeof(EncoderHandle)));
    if (!handle) return nullptr;
    handle->pool = CreateWorkerPool(true);
    if (handle->pool) handle->lock = platform::CreateLock();
    if (!handle->lock) {
        DestroyWorkerPool(handle->pool);
        platform::FreeMemory(handle);
        return nullptr;
    }
    return handle;
}

void DestroyEncoderHandle(EncoderHandle* handle) {
    if (!handle) return;
    DestroyWorkerPool(handle->pool);
    platform::DeleteLock(handle->lock);
    platform::FreeMemory(handle);
}

}  // namespace encdv
