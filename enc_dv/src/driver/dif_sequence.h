#ifndef ENC_DV_DRIVER_DIF_SEQUENCE_H
#define ENC_DV_DRIVER_DIF_SEQUENCE_H

#include <cstdint>

#include "common/frame_plan.h"

namespace encdv {

struct SourceReader;
struct BandShares;

// What one thread encodes of a frame: a contiguous run of DIF sequences.
struct SequenceJob {
    const FramePlan* plan;
    const int32_t* shuffleTable;  // of plan->mode: pairs (x, y), sequenceCount x 135
    SourceReader* reader;         // opened; read with threadIndex
    BandShares* bands;            // the reader's bands, shared by the frame's jobs
    uint8_t* output;              // where sequence firstSequence goes
    int32_t firstSequence;
    int32_t endSequence;
    int32_t threadIndex;
};

// Converts bands of the reader's frame until all are converted (PrepareBandShares), then
// writes DIF sequences firstSequence .. endSequence - 1 of the job, in transmission order,
// at job.output: header, subcode, VAUX and audio blocks with their fixed contents (unless
// the plan is video-only), and the 27 video segments of each sequence. Reads macroblocks
// through the job's reader with its threadIndex; writes nothing outside its sequences.
void EncodeDifSequences(const SequenceJob& job);

}  // namespace encdv

#endif
