// The frame buffer that sources read into and dvenc encodes into.
#ifndef DVENC_FRAME_BUFFER_H
#define DVENC_FRAME_BUFFER_H

#include <cstddef>
#include <cstdint>
#include <memory>

namespace dvenc {

// A 16-byte-aligned frame buffer with slack on both sides, so that no vector read of the
// encoder near the picture's edges leaves the allocation.
class FrameBuffer {
  public:
    void Allocate(size_t bytes);
    uint8_t* Data() { return data_; }

  private:
    static constexpr size_t kSlack = 64;
    std::unique_ptr<uint8_t[]> storage_;
    uint8_t* data_ = nullptr;
};

}  // namespace dvenc

#endif
