#ifndef ENC_DV_API_ENCODER_HANDLE_H
#define ENC_DV_API_ENCODER_HANDLE_H

#include "driver/worker_pool.h"
#include "platform/threads.h"

namespace encdv {

// What a host holds between DVNewEnc and DVDoneEnc: the worker pool whose persistent
// threads live from frame to frame, and the lock that serialises compress calls.
struct EncoderHandle {
    WorkerPool* pool;
    platform::LockHandle lock;
};

// Null when memory or the lock cannot be obtained; nothing is left allocated then.
EncoderHandle* CreateEncoderHandle();

// Ends every persistent worker thread, closes its events and frees the handle. Null is
// ignored. Must not run while a compress call uses the handle.
void DestroyEncoderHandle(EncoderHandle* handle);

}  // namespace encdv

#endif
