#include "fake_reader.h"

#include "api/initialization.h"
#include "driver/frame_driver.h"
#include "driver/shuffle.h"
#include "enc_dv.h"

namespace encdv::testing {
namespace {

// A busy but deterministic sample value: a smooth ramp plus a hashed texture, different
// for every block, line and column of every macroblock.
uint8_t Sample(int x, int y, int block, int line, int column) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 static_cast<uint32_t>(block * 64 + line * 8 + column) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<uint8_t>((x / 4 + y / 3 + line * 9 + column * 5) + (h & 0x3F));
}

void ReadFake(SourceReader* base, int threadIndex, int x, int y, MacroblockPixels* out) {
    auto* reader = static_cast<FakeReader*>(base);
    if (threadIndex < 0 || threadIndex >= reader->threadCount) {
        reader->badThreadIndex.fetch_add(1);
        return;
    }
    reader->calls[threadIndex].push_back({x, y});
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        for (int line = 0; line < 8; ++line) {
            const int sourceLine = reader->hostSwapsFields ? line ^ 1 : line;
            for (int c = 0; c < 8; ++c) {
                out->blocks[b][8 * line + c] =
                    reader->flat ? static_cast<uint8_t>(128 + b) : Sample(x, y, b, sourceLine, c);
            }
        }
    }
}

}  // namespace

FakeReader::FakeReader(int threads, bool hostSwapsFields_) : SourceReader{} {
    ReadMacroblock = ReadFake;
    threadCount = threads;
    width = 720;
    hostSwapsFields = hostSwapsFields_;
    for (auto& log : calls) log.reserve(12 * kVideoBlocksPerSequence);
}

int SequenceCountOfMode(int mode) {
    return mode == 3 ? 10 : 12;
}

int RunFakeFrame(const FrameRun& run, FakeReader& reader, WorkerRecord* workers, bool persistent,
                 std::vector<uint8_t>& output) {
    InitializeLibrary();
    output.assign(DVENC_MAX_FRAME_BYTES, run.fillByte);
    const int withHeader = (run.flags & DVENC_FLAG_NO_HEADER_BLOCK) ? 0 : 1;
    const FrameJob job{output.data(), SequenceCountOfMode(run.mode), withHeader,
                       run.flags,     GetShuffleTable(run.mode),     run.mode,
                       &reader};
    return RunFrameThreads(job, workers, persistent, run.threads);
}

}  // namespace encdv::testing
