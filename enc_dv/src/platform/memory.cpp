#include "platform/memory.h"

#include <cstdlib>

namespace encdv::platform {

void* AllocateMemory(std::size_t bytes) { return std::malloc(bytes); }
void* AllocateZeroedMemory(std::size_t bytes) { return std::calloc(1, bytes); }
void FreeMemory(void* block) { std::free(block); }

}  // namespace encdv::platform
