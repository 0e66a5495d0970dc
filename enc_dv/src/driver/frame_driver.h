#ifndef ENC_DV_DRIVER_FRAME_DRIVER_H
#define ENC_DV_DRIVER_FRAME_DRIVER_H

#include <cstdint>

#include "common/frame_plan.h"
#include "driver/worker_pool.h"

namespace encdv {

// Encodes one frame of the plan from source on the pool's threads. Returns the number of
// bytes written to output, or 0 (nothing written) when the frame is refused: no SSE2, no
// memory for the reader, or a picture the reader cannot read. The library's tables must
// have been built.
int EncodeFrame(const FramePlan& plan, WorkerPool& pool, const uint8_t* source, uint8_t* output);

// EncodeFrame after the processor check and the choice of thread count: encodes on
// exactly threadCount threads (limited to 1-16).
int EncodeFrameOnThreads(const FramePlan& plan, WorkerPool& pool, const uint8_t* source,
                         uint8_t* output, int threadCount);

// DIF sequences first .. end - 1 of one thread.
struct SequenceRange {
    int first;
    int end;
};

// The contiguous run of sequences that thread threadIndex encodes when sequenceCount
// sequences are shared by threadCount threads. Thread 0, the calling thread, which also
// runs the start barrier and the join, never takes one of the spare sequences.
SequenceRange SequencesOfThread(int sequenceCount, int threadCount, int threadIndex);

// What every thread of one frame shares.
struct FrameJob {
    const FramePlan* plan;
    const int32_t* shuffleTable;  // of plan->mode
    SourceReader* reader;         // opened
    uint8_t* output;
};

// Divides the frame among threadCount threads (1-16) of the pool, runs them and returns
// the frame length in bytes.
int RunFrameThreads(const FrameJob& job, WorkerPool& pool, int threadCount);

}  // namespace encdv

#endif
