#include "sources/frame_buffer.h"

#include <cstdint>
#include <cstring>

namespace dvenc {

void FrameBuffer::Allocate(size_t bytes) {
    storage_.reset(new uint8_t[bytes + 2 * kSlack + 16]);
    std::memset(storage_.get(), 0, bytes + 2 * kSlack + 16);
    const auto base = reinterpret_cast<uintptr_t>(storage_.get()) + kSlack;
    data_ = reinterpret_cast<uint8_t*>((base + 15) & ~static_cast<uintptr_t>(15));
}

}  // namespace dvenc
