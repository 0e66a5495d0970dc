#ifndef ENC_DV_DRIVER_DIF_SEQUENCE_H
#define ENC_DV_DRIVER_DIF_SEQUENCE_H

#include <cstdint>

#include "common/frame_plan.h"

namespace encdv {

struct SourceReader;

// What one thread encodes of a frame: a contiguous run of DIF sequences.
struct SequenceJob {
    const FramePlan* plan;
    const int32_t* shuffleTable;  // of plan->mode: pairs (x, y), sequenceCount x 135
    SourceReader* reader;         // opened and prepared; read with threadIndex
    uint8_t* output;              // where sequence firstSequence goes
    int32_t firstSequence;
    int32_t endSequence;
    int32_t threadIndex;
};

// Writes DIF sequences firstSequence .. endSequence - 1 of the job, in transmission order,
// at job.output: header, subcode, VAUX and audio blocks with their fixed contents (unless
// the plan is video-only), and the 27 video segments of each sequence. Reads macroblocks
// through the job's reader with its threadIndex; writes nothing outside its sequences.
void EncodeDifSequences(const SequenceJob& job);

}  // namespace encdv

#endif
