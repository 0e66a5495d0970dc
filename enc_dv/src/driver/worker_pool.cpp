// Worker threads of a frame: the calling thread and up to 15 workers meet only through
// manual-reset events. Every frame passes a ready/go start barrier; a persistent worker
// then parks on its start event, reports done, and ends on quit.
#include "driver/worker_pool.h"

#include <algorithm>

#include "platform/memory.h"

namespace encdv {
namespace {

using platform::EventHandle;

// The events of a record, in creation order. One-shot workers use the first three.
constexpr int kOneShotEvents = 3;
constexpr int kPersistentEvents = 5;

EventHandle* EventSlot(WorkerRecord& record, int index) {
    EventHandle* slots[kPersistentEvents] = {&record.readyEvent, &record.goEvent, &record.exitEvent,
                                             &record.doneEvent, &record.startEvent};
    return slots[index];
}

void CloseEvents(WorkerRecord& record, int count) {
    for (int i = 0; i < count; ++i) {
        EventHandle* slot = EventSlot(record, i);
        platform::CloseEvent(*slot);
        *slot = nullptr;
    }
}

// Creates the record's events; on failure closes those already made and returns false.
bool CreateEvents(WorkerRecord& record, int count) {
    for (int i = 0; i < kPersistentEvents; ++i) *EventSlot(record, i) = nullptr;
    for (int i = 0; i < count; ++i) {
        *EventSlot(record, i) = platform::CreateManualResetEvent();
        if (!*EventSlot(record, i)) {
            CloseEvents(record, count);
            return false;
        }
    }
    return true;
}

// One job of a worker: meet at the start barrier, then encode.
void RunShare(WorkerRecord& record) {
    platform::SignalEvent(record.readyEvent);
    platform::WaitEvent(record.goEvent);
    platform::ResetEvent(record.goEvent);
    EncodeDifSequences(record.job);
}

unsigned WorkerMain(void* argument) {
    WorkerRecord& record = *static_cast<WorkerRecord*>(argument);
    if (!record.persistent) {
        RunShare(record);
        return 0;
    }
    if (!record.quit) RunShare(record);
    for (;;) {
        // Parked: touch nothing but startEvent and quit until the next frame.
        platform::SignalEvent(record.doneEvent);
        platform::WaitEvent(record.startEvent);
        platform::ResetEvent(record.startEvent);
        if (record.quit) break;
        RunShare(record);
    }
    platform::SignalEvent(record.exitEvent);
    return 0;
}

// Starts or wakes the thread of a record; false when it cannot run, in which case the
// record holds no thread or event.
bool StartWorker(WorkerRecord& record, bool persistent) {
    if (persistent && record.threadStarted) {
        platform::SignalEvent(record.startEvent);
        return true;
    }
    const int eventCount = persistent ? kPersistentEvents : kOneShotEvents;
    if (!CreateEvents(record, eventCount)) return false;
    record.threadStarted = 1;
    record.thread = platform::StartThread(WorkerMain, &record);
    if (!record.thread) {
        record.threadStarted = 0;
        CloseEvents(record, eventCount);
        return false;
    }
    return true;
}

}  // namespace

WorkerPool* CreateWorkerPool(bool persistent) {
    auto* pool = static_cast<WorkerPool*>(platform::AllocateZeroedMemory(sizeof(WorkerPool)));
    if (pool) pool->persistent = persistent;
    return pool;
}

void DestroyWorkerPool(WorkerPool* pool) {
    if (!pool) return;
    StopWorkers(*pool);
    platform::FreeMemory(pool);
}

void StopWorkers(WorkerPool& pool) {
    // A record's thread is created only once all five of its events exist.
    for (int j = 1; j < kMaxThreads; ++j) {
        WorkerRecord& worker = pool.workers[j];
        if (!worker.threadStarted) continue;
        if (worker.thread) {
            worker.quit = 1;
            platform::SignalEvent(worker.startEvent);
            platform::WaitEvent(worker.exitEvent);
            platform::JoinThread(worker.thread);
            worker.thread = nullptr;
        }
        platform::CloseEvent(worker.readyEvent);
        platform::CloseEvent(worker.goEvent);
        platform::CloseEvent(worker.doneEvent);
        platform::CloseEvent(worker.startEvent);
        platform::CloseEvent(worker.exitEvent);
        worker.threadStarted = 0;
    }
}

void RunJobs(WorkerPool& pool, const SequenceJob* jobs, int threadCount) {
    const int n = std::clamp(threadCount, 1, kMaxThreads);
    const bool persistent = pool.persistent;
    for (int j = 0; j < n; ++j) {
        WorkerRecord& record = pool.workers[j];
        record.job = jobs[j];
        record.persistent = persistent ? 1 : 0;
        if (!persistent) record.threadStarted = 0;
    }

    // Every record is complete before its thread is created or woken.
    bool running[kMaxThreads] = {};
    for (int j = 1; j < n; ++j) running[j] = StartWorker(pool.workers[j], persistent);

    // Start barrier: no thread encodes before every worker has arrived.
    for (int j = 1; j < n; ++j) {
        if (!running[j]) continue;
        platform::WaitEvent(pool.workers[j].readyEvent);
        platform::ResetEvent(pool.workers[j].readyEvent);
    }
    for (int j = 1; j < n; ++j) {
        if (running[j]) platform::SignalEvent(pool.workers[j].goEvent);
    }

    EncodeDifSequences(pool.workers[0].job);
    // Jobs whose thread could not be started; the reader context of index j is unused by
    // anyone else, so the calling thread may borrow it.
    for (int j = 1; j < n; ++j) {
        if (!running[j]) EncodeDifSequences(pool.workers[j].job);
    }

    for (int j = 1; j < n; ++j) {
        if (!running[j]) continue;
        WorkerRecord& record = pool.workers[j];
        if (persistent) {
            platform::WaitEvent(record.doneEvent);
            platform::ResetEvent(record.doneEvent);
        } else {
            platform::JoinThread(record.thread);
            record.thread = nullptr;
            record.threadStarted = 0;
            CloseEvents(record, kOneShotEvents);
        }
    }
}

}  // namespace encdv
