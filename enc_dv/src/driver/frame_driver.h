#ifndef ENC_DV_DRIVER_FRAME_DRIVER_H
#define ENC_DV_DRIVER_FRAME_DRIVER_H

#include <cstdint>

#include "api/pixel_format.h"
#include "driver/worker_record.h"

namespace encdv {

class CDVEncoder;

// Encodes one frame with the encoder's video system and worker records. Returns the
// number of bytes written to output, or 0 (nothing written) when the frame is refused.
int EncodeFrame(CDVEncoder& encoder, uint8_t* output, const uint8_t* source, int sourcePitch,
                int width, int height, uint32_t flags, PixelFormatCode format);

// EncodeFrame after the processor check and the choice of thread count: encodes on
// exactly threadCount threads (limited to 1-16).
int EncodeFrameOnThreads(CDVEncoder& encoder, uint8_t* output, const uint8_t* source,
                         int sourcePitch, int width, int height, uint32_t flags,
                         PixelFormatCode format, int threadCount);

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
    uint8_t* output;
    int sequenceCount;
    int withHeaderBlock;
    uint32_t flags;
    const int32_t* shuffleTable;
    int mode;
    SourceReader* reader;  // opened and prepared
};

// Divides the frame among threadCount threads (1-16) described by workers[0 ..
// threadCount - 1], runs them and returns the frame length in bytes. With persistent set
// the records belong to a handle and their threads stay parked afterwards; otherwise the
// threads end before the call returns. A thread or event that cannot be created makes the
// calling thread encode that record's sequences itself.
int RunFrameThreads(const FrameJob& job, WorkerRecord* workers, bool persistent, int threadCount);

}  // namespace encdv

#endif
