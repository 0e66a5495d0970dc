// Creation and destruction of encoder handles.
#include "api/encoder_handle.h"

#include "platform/memory.h"

namespace encdv {

EncoderHandle* CreateEncoderHandle() {
    auto* handle =
        static_cast<EncoderHandle*>(platform::AllocateZeroedMemory(sizeof(EncoderHandle)));
    if (!handle) return nullptr;
    handle->workers = static_cast<WorkerRecord*>(
        platform::AllocateZeroedMemory(kMaxThreads * sizeof(WorkerRecord)));
    if (handle->workers) handle->lock = platform::CreateLock();
    if (!handle->lock) {
        platform::FreeMemory(handle->workers);
        platform::FreeMemory(handle);
        return nullptr;
    }
    return handle;
}

void DestroyEncoderHandle(EncoderHandle* handle) {
    if (!handle) return;
    // Record 0 is the calling thread's; the others may own a parked thread. The driver
    // creates a record's thread only once all five of its events exist.
    for (int j = 1; j < kMaxThreads; ++j) {
        WorkerRecord& worker = handle->workers[j];
        if (!worker.threadStarted) continue;
        if (worker.thread) {
            worker.quit = 1;
            platform::SignalEvent(worker.startEvent);
            platform::WaitEvent(worker.exitEvent);
            platform::JoinThread(worker.thread);
            worker.thread = nullptr;
        }
        platform::CloseEvent(worker.readyEvent);
        platform::CloseEvent(worker.goEvent);
        platform::CloseEvent(worker.doneEvent);
        platform::CloseEvent(worker.startEvent);
        platform::CloseEvent(worker.exitEvent);
        worker.threadStarted = 0;
    }
    platform::FreeMemory(handle->workers);
    platform::DeleteLock(handle->lock);
    platform::FreeMemory(handle);
}

}  // namespace encdv
