#ifndef ENC_DV_DRIVER_WORKER_POOL_H
#define ENC_DV_DRIVER_WORKER_POOL_H

#include <cstdint>

#include "common/constants.h"
#include "driver/dif_sequence.h"
#include "platform/threads.h"

namespace encdv {

// The thread machinery of one worker: its thread, the events it meets the calling thread
// by, and the job it runs next. Record 0 stands for the calling thread and has no thread.
struct WorkerRecord {
    SequenceJob job;  // complete before the thread is created or woken
    platform::ThreadHandle thread;
    int32_t persistent;
    int32_t threadStarted;  // the thread and all its events exist
    volatile int32_t quit;
    platform::EventHandle doneEvent;
    platform::EventHandle startEvent;
    platform::EventHandle readyEvent;
    platform::EventHandle goEvent;
    platform::EventHandle exitEvent;
};

// The threads that encode the shares of a frame, up to kMaxThreads of them. A persistent
// pool (an encoder handle's) keeps its workers parked from frame to frame; a one-shot pool
// ends them before RunJobs returns. A zero-filled pool holds no thread.
struct WorkerPool {
    WorkerRecord workers[kMaxThreads];
    bool persistent;
};

// A zero-filled pool in library memory; null when memory is short.
WorkerPool* CreateWorkerPool(bool persistent);

// Ends the pool's parked threads, closes their events and frees the pool. Null is ignored.
// Must not run while RunJobs uses the pool.
void DestroyWorkerPool(WorkerPool* pool);

// Ends every parked thread of the pool and closes its events; the pool holds no thread
// afterwards.
void StopWorkers(WorkerPool& pool);

// Runs jobs[0 .. threadCount - 1] (threadCount 1-16), job j on worker j's thread and job 0
// on the calling thread, and returns when all are done. No job starts before every worker
// has arrived at the start barrier. A thread or event that cannot be created makes the
// calling thread run that job itself after its own.
void RunJobs(WorkerPool& pool, const SequenceJob* jobs, int threadCount);

}  // namespace encdv

#endif
