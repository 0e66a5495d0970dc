#ifndef ENC_DV_TESTS_DRIVER_FAKE_READER_H
#define ENC_DV_TESTS_DRIVER_FAKE_READER_H

#include <atomic>
#include <cstdint>
#include <vector>

#include "driver/worker_record.h"
#include "input/source_reader.h"

namespace encdv::testing {

// A source reader over a synthetic picture, computed from the macroblock position. It logs
// every ReadMacroblock call under the caller's thread index (each index has its own log,
// reserved ahead, so concurrent calls with distinct indices never share memory).
struct FakeReader : SourceReader {
    explicit FakeReader(int threads, bool hostSwapsFields = false);

    // Exchange lines 2i and 2i+1 of every block, as a host that swaps fields would.
    bool hostSwapsFields;
    // Macroblocks as flat (in the picture's own samples) instead of busy.
    bool flat = false;
    struct Call {
        int x;
        int y;
    };
    std::vector<Call> calls[kMaxThreads];
    std::atomic<int> badThreadIndex{0};
};

// Runs one frame through the driver with freshly cleared one-shot or persistent records.
// Returns the bytes the driver reported; output is resized to hold the whole frame and is
// filled with fillByte first.
struct FrameRun {
    int mode = 3;
    uint32_t flags = 0;
    int threads = 1;
    uint8_t fillByte = 0xA5;
};
int RunFakeFrame(const FrameRun& run, FakeReader& reader, WorkerRecord* workers, bool persistent,
                 std::vector<uint8_t>& output);

int SequenceCountOfMode(int mode);

}  // namespace encdv::testing

#endif
