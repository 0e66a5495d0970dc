#ifndef ENC_DV_API_DV_ENCODER_H
#define ENC_DV_API_DV_ENCODER_H

#include <cstddef>

#include "common/frame_plan.h"
#include "driver/worker_pool.h"

namespace encdv {

struct EncoderHandle;

// The coding part of the per-frame encoder object: the frame's plan.
class CDVCoder {
  public:
    CDVCoder() = default;
    virtual ~CDVCoder() = default;

    // Objects live in library memory; new yields null when it is short.
    static void* operator new(std::size_t bytes) noexcept;
    static void operator delete(void* block);

    FramePlan plan{};
};

// The encoder object of one compress call; borrows the handle's worker pool or owns a
// one-shot pool.
class CDVEncoder : public CDVCoder {
  public:
    ~CDVEncoder() override;

    // Null when memory for the object or its pool cannot be obtained.
    static CDVEncoder* Create(EncoderHandle* handle, const FramePlan& plan);

    WorkerPool* pool = nullptr;
    EncoderHandle* handle = nullptr;

  private:
    CDVEncoder() = default;
};

}  // namespace encdv

#endif
