// The frame driver: processor check, thread count, source reader, and the division of the
// DIF sequences among the calling thread and up to 15 workers of a pool.
#include "driver/frame_driver.h"

#include <algorithm>

#include "driver/band_shares.h"
#include "driver/dif_sequence.h"
#include "driver/shuffle.h"
#include "input/source_reader.h"
#include "platform/cpu_features.h"
#include "platform/threads.h"

namespace encdv {

SequenceRange SequencesOfThread(int sequenceCount, int threadCount, int threadIndex) {
    const int q = sequenceCount / threadCount;
    const int r = sequenceCount % threadCount;
    if (threadIndex == 0) return {0, q};
    // Threads 1 .. r take one extra sequence each.
    const int first = threadIndex * q + std::min(threadIndex - 1, r);
    const int count = threadIndex <= r ? q + 1 : q;
    return {first, first + count};
}

int RunFrameThreads(const FrameJob& job, WorkerPool& pool, int threadCount) {
    const int n = std::clamp(threadCount, 1, kMaxThreads);
    const FramePlan& plan = *job.plan;
    const int sequenceBytes = SequenceBytes(plan);
    BandShares bands{};
    SequenceJob jobs[kMaxThreads];
    for (int j = 0; j < n; ++j) {
        const SequenceRange range = SequencesOfThread(plan.sequenceCount, n, j);
        jobs[j] = SequenceJob{job.plan,
                              job.shuffleTable,
                              job.reader,
                              &bands,
                              job.output + range.first * sequenceBytes,
                              range.first,
                              range.end,
                              j};
    }
    RunJobs(pool, jobs, n);
    return FrameBytes(plan);
}

int EncodeFrameOnThreads(const FramePlan& plan, WorkerPool& pool, const uint8_t* source,
                         uint8_t* output, int threadCount) {
    const int n = std::clamp(threadCount, 1, kMaxThreads);
    const int32_t* shuffleTable = GetShuffleTable(plan.mode);
    if (!shuffleTable) return 0;

    SourceReader* reader = CreateSourceReader(plan.readerVariant, n, plan.mode);
    if (!reader) return 0;
    if (reader->Open(reader, source, plan.pitch, plan.width, plan.height) != 0) {
        reader->Release(reader);
        return 0;
    }
    // Macroblocks of one sequence come from all over the picture: whatever the reader converts
    // ahead, every thread of the frame converts a share of at its start, and none reads a
    // macroblock before all of it is done.
    const FrameJob job{&plan, shuffleTable, reader, output};
    const int bytes = RunFrameThreads(job, pool, n);
    reader->Release(reader);
    return bytes;
}

int EncodeFrame(const FramePlan& plan, WorkerPool& pool, const uint8_t* source, uint8_t* output) {
    if (!ProcessorCanEncode()) return 0;
    const int threadCount =
        plan.singleThread ? 1 : std::min(platform::CountProcessors(), kMaxThreads);
    return EncodeFrameOnThreads(plan, pool, source, output, threadCount);
}

}  // namespace encdv
