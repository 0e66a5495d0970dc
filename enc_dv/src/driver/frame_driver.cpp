// The frame driver: processor check, thread count, final video mode, source reader, and
// the division of the DIF sequences among the calling thread and up to 15 workers, which
// meet only through manual-reset events.
#include "driver/frame_driver.h"

#include <algorithm>

#include "api/dv_encoder.h"
#include "api/initialization.h"
#include "api/video_mode.h"
#include "driver/dif_sequence.h"
#include "enc_dv.h"
#include "input/source_reader.h"
#include "platform/cpu_features.h"
#include "platform/threads.h"

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

// One share of a worker: meet at the start barrier, then encode.
void RunShare(WorkerRecord& record) {
    platform::SignalEvent(record.readyEvent);
    platform::WaitEvent(record.goEvent);
    platform::ResetEvent(record.goEvent);
    EncodeDifSequences(record);
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

SequenceRange SequencesOfThread(int sequenceCount, int threadCount, int threadIndex) {
    const int q = sequenceCount / threadCount;
    const int r = sequenceCount % threadCount;
    if (threadIndex == 0) return {0, q};
    // Threads 1 .. r take one extra sequence each.
    const int first = threadIndex * q + std::min(threadIndex - 1, r);
    const int count = threadIndex <= r ? q + 1 : q;
    return {first, first + count};
}

int RunFrameThreads(const FrameJob& job, WorkerRecord* workers, bool persistent, int threadCount) {
    const int n = std::clamp(threadCount, 1, kMaxThreads);
    const int sequenceBytes = job.withHeaderBlock ? kSequenceBytes : kSequenceBytesWithoutHeader;

    for (int j = 0; j < n; ++j) {
        WorkerRecord& record = workers[j];
        const SequenceRange range = SequencesOfThread(job.sequenceCount, n, j);
        record.output = job.output + range.first * sequenceBytes;
        record.firstSequence = range.first;
        record.endSequence = range.end;
        record.withHeaderBlock = job.withHeaderBlock;
        record.flags = job.flags;
        record.shuffleTable = job.shuffleTable;
        record.mode = job.mode;
        record.reader = job.reader;
        record.persistent = persistent ? 1 : 0;
        if (!persistent) record.threadStarted = 0;
        record.threadCount = n;
        record.threadIndex = j;
    }

    // Every record is complete before its thread is created or woken.
    bool running[kMaxThreads] = {};
    for (int j = 1; j < n; ++j) running[j] = StartWorker(workers[j], persistent);

    // Start barrier: no thread encodes before every worker has arrived.
    for (int j = 1; j < n; ++j) {
        if (!running[j]) continue;
        platform::WaitEvent(workers[j].readyEvent);
        platform::ResetEvent(workers[j].readyEvent);
    }
    for (int j = 1; j < n; ++j) {
        if (running[j]) platform::SignalEvent(workers[j].goEvent);
    }

    EncodeDifSequences(workers[0]);
    // Shares whose thread could not be started; the reader context of record j is unused
    // by anyone else, so the calling thread may borrow it.
    for (int j = 1; j < n; ++j) {
        if (!running[j]) EncodeDifSequences(workers[j]);
    }

    for (int j = 1; j < n; ++j) {
        if (!running[j]) continue;
        WorkerRecord& record = workers[j];
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
    return sequenceBytes * job.sequenceCount;
}

int EncodeFrameOnThreads(CDVEncoder& encoder, uint8_t* output, const uint8_t* source,
                         int sourcePitch, int width, int height, uint32_t flags,
                         PixelFormatCode format, int threadCount) {
    const int n = std::clamp(threadCount, 1, kMaxThreads);
    if (!encoder.systemSelected || !encoder.workers) return 0;
    encoder.withHeaderBlock = (flags & DVENC_FLAG_NO_HEADER_BLOCK) ? 0 : 1;
    // Final choice of system: 525/60 stays 4:1:1; 625/50 is 4:1:1 only as SMPTE 314M.
    const int mode = encoder.is525                    ? MODE_525_411
                     : (flags & DVENC_FLAG_SMPTE314M) ? MODE_625_411
                                                      : MODE_625_420;
    if (!encoder.SelectSystem(mode)) return 0;

    SourceReader* reader = CreateSourceReader(format, flags, n, mode);
    if (!reader) return 0;
    if (reader->Open(reader, source, sourcePitch, width, height) != 0) {
        reader->Release(reader);
        return 0;
    }
    // Macroblocks of one sequence come from all over the picture, so whatever the reader
    // converts ahead is finished before any worker starts.
    reader->PrepareFrame(reader);

    const FrameJob job{output, encoder.sequenceCount, encoder.withHeaderBlock,
                       flags,  encoder.shuffleTable,  mode,
                       reader};
    const int bytes = RunFrameThreads(job, encoder.workers, encoder.handle != nullptr, n);
    reader->Release(reader);
    return bytes;
}

int EncodeFrame(CDVEncoder& encoder, uint8_t* output, const uint8_t* source, int sourcePitch,
                int width, int height, uint32_t flags, PixelFormatCode format) {
    if (!ProcessorCanEncode()) return 0;
    InitializeLibrary();
    const int threadCount =
        (flags & DVENC_FLAG_SINGLE_THREAD) ? 1 : std::min(platform::CountProcessors(), kMaxThreads);
    return EncodeFrameOnThreads(encoder, output, source, sourcePitch, width, height, flags, format,
                                threadCount);
}

}  // namespace encdv
