// Heap memory of the library, counted for the tests' leak checks.
#include "platform/memory.h"

#include <cstdlib>

#include "platform/test_hooks.h"

namespace encdv::platform {

void* AllocateMemory(std::size_t bytes) {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kAllocation)) return nullptr;
    void* block = std::malloc(bytes);
    if (block) test_hooks::NoteCreated(test_hooks::Resource::kAllocation);
    return block;
}

void* AllocateZeroedMemory(std::size_t bytes) {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kAllocation)) return nullptr;
    void* block = std::calloc(1, bytes);
    if (block) test_hooks::NoteCreated(test_hooks::Resource::kAllocation);
    return block;
}

void FreeMemory(void* block) {
    if (!block) return;
    std::free(block);
    test_hooks::NoteReleased(test_hooks::Resource::kAllocation);
}

}  // namespace encdv::platform
