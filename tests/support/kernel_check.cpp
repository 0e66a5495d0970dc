#include "support/kernel_check.h"

#include <algorithm>
#include <cstdio>

namespace encdv::test {

namespace {

constexpr std::size_t kGuardBytes = 64;

}  // namespace

GuardedBuffer::GuardedBuffer(std::size_t size) : storage_(size + 3 * kGuardBytes), size_(size) {
    const auto address = reinterpret_cast<std::uintptr_t>(storage_.data());
    offset_ = kGuardBytes + (kGuardBytes - address % kGuardBytes) % kGuardBytes;
    Reset();
}

void GuardedBuffer::Reset() {
    std::fill(storage_.begin(), storage_.end(), kGuardByte);
}

bool GuardedBuffer::GuardsIntact() const {
    const auto isGuard = [](uint8_t b) { return b == kGuardByte; };
    return std::all_of(storage_.begin(), storage_.begin() + offset_, isGuard) &&
           std::all_of(storage_.begin() + offset_ + size_, storage_.end(), isGuard);
}

::testing::AssertionResult SameOutput(const GuardedBuffer& kernel, const GuardedBuffer& twin,
                                      std::size_t size) {
    if (!kernel.GuardsIntact()) {
        return ::testing::AssertionFailure() << "the kernel wrote outside its output";
    }
    if (!twin.GuardsIntact()) {
        return ::testing::AssertionFailure() << "the twin wrote outside its output";
    }
    return SameWords(kernel.data(), twin.data(), size != 0 ? size : kernel.size());
}

uint32_t PrintedSeed(const char* test, uint32_t seed) {
    std::printf("%s: seed %u\n", test, seed);
    return seed;
}

}  // namespace encdv::test
