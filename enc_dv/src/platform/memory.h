#ifndef ENC_DV_PLATFORM_MEMORY_H
#define ENC_DV_PLATFORM_MEMORY_H

#include <cstddef>

namespace encdv::platform {

// All per-handle and per-frame memory of the library goes through these, so that tests
// can count allocations and inject failures. Both return null when memory is short.
void* AllocateMemory(std::size_t bytes);
void* AllocateZeroedMemory(std::size_t bytes);
void FreeMemory(void* block);

}  // namespace encdv::platform

#endif
