#ifndef ENC_DV_API_DV_ENCODER_H
#define ENC_DV_API_DV_ENCODER_H

#include <cstddef>
#include <cstdint>

#include "driver/worker_record.h"

namespace encdv {

struct EncoderHandle;

// Video-system part of the per-frame encoder object.
class CDVCoder {
  public:
    CDVCoder() = default;
    virtual ~CDVCoder() = default;

    // Selects the system from the low byte of modeWord (0, 2 or 3); 1 on success, 0 otherwise.
    int SelectSystem(int modeWord);

    // Objects live in library memory; new yields null when it is short.
    static void* operator new(std::size_t bytes) noexcept;
    static void operator delete(void* block);

    int systemSelected = 0;
    int is525 = 0;
    int sequenceCount = 0;
    const int32_t* shuffleTable = nullptr;
};

// The encoder object of one compress call; borrows the handle's worker records or owns some.
class CDVEncoder : public CDVCoder {
  public:
    ~CDVEncoder() override;

    // Null when memory for the object or its worker records cannot be obtained.
    static CDVEncoder* Create(EncoderHandle* handle);

    int withHeaderBlock = 1;
    WorkerRecord* workers = nullptr;
    EncoderHandle* handle = nullptr;

  private:
    CDVEncoder() = default;
};

}  // namespace encdv

#endif
