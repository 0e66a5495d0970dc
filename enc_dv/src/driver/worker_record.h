#ifndef ENC_DV_DRIVER_WORKER_RECORD_H
#define ENC_DV_DRIVER_WORKER_RECORD_H

#include <cstdint>

#include "platform/threads.h"

namespace encdv {

struct SourceReader;

constexpr int kMaxThreads = 16;

// One per thread of a frame; record 0 is the calling thread's. Records of a handle keep
// their thread and events from frame to frame.
struct WorkerRecord {
    uint8_t* output;  // where this thread's first DIF sequence goes
    int32_t firstSequence;
    int32_t endSequence;
    int32_t withHeaderBlock;
    uint32_t flags;
    const int32_t* shuffleTable;  // pairs (x, y), sequenceCount x 135
    int32_t mode;
    SourceReader* reader;
    platform::ThreadHandle thread;
    int32_t persistent;
    int32_t threadStarted;
    volatile int32_t quit;
    platform::EventHandle doneEvent;
    platform::EventHandle startEvent;
    platform::EventHandle readyEvent;
    platform::EventHandle goEvent;
    platform::EventHandle exitEvent;
    int32_t threadCount;
    int32_t threadIndex;
};

}  // namespace encdv

#endif
