#include "fake_reader.h"

#include "api/initialization.h"
#include "api/plan_frame.h"
#include "driver/frame_driver.h"
#include "driver/shuffle.h"
#include "enc_dv.h"

namespace encdv::testing {
namespace {

void ReadFake(SourceReader* base, int thread, int x, int y, MacroblockPixels* out) {
    auto* reader = static_cast<FakeReader*>(base);
    reader->calls[thread].insert(reader->calls[thread].end(), {x, y});
    for (int i = 0; i < 384; ++i) {
        const int line = (i >> 3 & 7) ^ (reader->hostSwapsFields ? 1 : 0);
        uint32_t h = (static_cast<uint32_t>(x) * 73856093u) ^
                     (static_cast<uint32_t>(y) * 19349663u) ^
                     (static_cast<uint32_t>((i & ~63) | line << 3 | (i & 7)) * 83492791u);
        h = (h ^ h >> 13) * 0x5bd1e995u;
        out->blocks[i >> 6][i & 63] = static_cast<uint8_t>(x / 4 + y / 3 + line * 9 + (h >> 26));
    }
}

}  // namespace

FakeReader::FakeReader(bool swaps) : SourceReader{}, hostSwapsFields(swaps) {
    ReadMacroblock = ReadFake;
    threadCount = kMaxThreads;
    for (auto& log : calls) log.reserve(2 * 12 * kVideoBlocksPerSequence);
}

int RunFakeFrame(int mode, uint32_t flags, int threads, WorkerPool& pool,
                 std::vector<uint8_t>& output, uint8_t fill, FakeReader* reader) {
    InitializeLibrary();
    FakeReader own;
    output.assign(DVENC_MAX_FRAME_BYTES, fill);
    // 4:1:1 at 625/50 is only planned in the SMPTE 314M form.
    FramePlan plan;
    if (!PlanFrame(720, mode == 3 ? 480 : 576, 1440, flags | (mode == 2 ? DVENC_FLAG_SMPTE314M : 0),
                   DVENC_FOURCC_YUY2, &plan) ||
        plan.mode != mode) {
        return 0;
    }
    const FrameJob job{&plan, GetShuffleTable(plan.mode), reader ? reader : &own, output.data()};
    const int size = RunFrameThreads(job, pool, threads);
    output.resize(size);
    return size;
}

}  // namespace encdv::testing
