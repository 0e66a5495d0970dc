#ifndef ENC_DV_TESTS_DRIVER_FAKE_READER_H
#define ENC_DV_TESTS_DRIVER_FAKE_READER_H

#include <cstdint>
#include <vector>

#include "driver/worker_pool.h"
#include "input/source_reader.h"

namespace encdv::testing {

// A reader of a synthetic busy picture that logs each call's position under the caller's
// thread index (one log per index, reserved ahead, so concurrent threads share nothing).
struct FakeReader : SourceReader {
    explicit FakeReader(bool hostSwapsFields = false);
    bool hostSwapsFields;  // lines 2i and 2i+1 of every block exchanged, as a host might
    std::vector<int32_t> calls[kMaxThreads];  // x, y pairs
};

// One frame of the mode on threads threads of the pool through the driver, planned from the
// flags as a 720-pixel YUY2 picture, into a buffer of 144000 bytes filled with fill first;
// returns the driver's size and trims output to it.
int RunFakeFrame(int mode, uint32_t flags, int threads, WorkerPool& pool,
                 std::vector<uint8_t>& output, uint8_t fill = 0xA5, FakeReader* reader = nullptr);

}  // namespace encdv::testing

#endif
