#ifndef ENC_DV_TESTS_SUPPORT_KERNEL_CHECK_H
#define ENC_DV_TESTS_SUPPORT_KERNEL_CHECK_H

// Checking a vector kernel against its twin, the plain C++ version of the same function
// that it must equal bit for bit. Twins are named like what they mirror: a library kernel
// Name_SSE2 (or any other instruction set) has its twin Name_C beside it in the library; a
// function that is not a kernel has its test twin twin::Name in the area's *_twins files.
// Kernels write into guarded buffers, and a comparison names the first mismatch.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace encdv::test {

constexpr uint8_t kGuardByte = 0xC3;

// `size` bytes, 64-byte aligned, with 64 guard bytes on either side; everything starts out
// as guard bytes.
class GuardedBuffer {
  public:
    explicit GuardedBuffer(std::size_t size);

    uint8_t* data() { return storage_.data() + offset_; }
    const uint8_t* data() const { return storage_.data() + offset_; }
    template <typename T>
    T* as() {
        return reinterpret_cast<T*>(data());
    }
    std::size_t size() const { return size_; }

    // Fills the buffer and its guards with guard bytes again.
    void Reset();
    // True when no guard byte before or after the buffer was changed.
    bool GuardsIntact() const;

  private:
    std::vector<uint8_t> storage_;
    std::size_t offset_;
    std::size_t size_;
};

// Success when both buffers kept their guards and their first `size` bytes (all of them
// when size is 0) agree; otherwise the first differing byte, with both values.
::testing::AssertionResult SameOutput(const GuardedBuffer& kernel, const GuardedBuffer& twin,
                                      std::size_t size = 0);

// Success when the `count` words agree; otherwise the first differing word, with both values.
template <typename Word>
::testing::AssertionResult SameWords(const Word* kernel, const Word* twin, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (kernel[i] != twin[i]) {
            return ::testing::AssertionFailure() << "first mismatch at word " << i << ": kernel "
                                                 << +kernel[i] << ", twin " << +twin[i];
        }
    }
    return ::testing::AssertionSuccess();
}

// The seed of a randomised comparison, printed so that a failure can be replayed.
uint32_t PrintedSeed(const char* test, uint32_t seed);

}  // namespace encdv::test

#endif
