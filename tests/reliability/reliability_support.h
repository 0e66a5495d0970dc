// Shared pieces of the reliability tests: the source layouts, seeded pictures, buffers
// fenced by inaccessible pages, and the platform's live resource counts.
#ifndef ENC_DV_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H
#define ENC_DV_TESTS_RELIABILITY_RELIABILITY_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "enc_dv.h"

namespace encdv::test {

using Bytes = std::vector<uint8_t>;

struct Layout {
    const char* name;
    uint32_t fourcc;
    int bytesPerPixel;
};

// The eleven accepted FOURCCs.
extern const Layout kLayouts[11];

// A 720-pixel picture of the given layout size: every byte drawn from a xorshift
// generator started at seed, lines pitch bytes apart (at least 720 x bytesPerPixel).
Bytes SeededPicture(int bytesPerPixel, int lines, uint32_t seed, int pitch = 0);

// Memory whose usable bytes sit between two inaccessible pages, flush against the upper
// one (or the lower one with atStart), so that a read or write one byte outside faults.
// size 0 gives a pointer straight at the guard page.
class FencedBuffer {
  public:
    explicit FencedBuffer(size_t size, bool atStart = false);
    ~FencedBuffer();
    FencedBuffer(const FencedBuffer&) = delete;
    FencedBuffer& operator=(const FencedBuffer&) = delete;

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    // Makes the byte range [offset, offset + bytes) inaccessible, rounded outward to whole
    // pages; the range must lie in whole pages of its own.
    void Revoke(size_t offset, size_t bytes);

  private:
    uint8_t* mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

size_t PageBytes();

// DVCompressBuffer with a handle, CompressBuffer_DV without one (handle null).
int Compress(DVEncoderHandle* handle, const void* source, int pitch, void* output, int width,
             int height, unsigned flags, uint32_t fourcc);

// True when ENC_DV_TEST_SHORT is set (and not "0"): the sanitizer jobs, where every
// frame is slow, then run thinner loops.
bool ShortRun();

// Live platform resources (threads, events, locks, heap blocks) at one moment.
struct LiveCounts {
    long threads, events, locks, allocations;
    static LiveCounts Now();
    bool operator==(const LiveCounts& other) const;
};
std::ostream& operator<<(std::ostream& out, const LiveCounts& counts);

}  // namespace encdv::test

#endif
