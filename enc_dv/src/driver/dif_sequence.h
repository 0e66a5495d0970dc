#ifndef ENC_DV_DRIVER_DIF_SEQUENCE_H
#define ENC_DV_DRIVER_DIF_SEQUENCE_H

#include "driver/worker_record.h"

namespace encdv {

// Bytes of one DIF sequence: 150 blocks, or 149 without the header block.
constexpr int kSequenceBytes = 150 * 80;
constexpr int kSequenceBytesWithoutHeader = 149 * 80;

// Writes DIF sequences firstSequence .. endSequence - 1 of the record, in transmission
// order, at record.output: header, subcode, VAUX and audio blocks with their fixed
// contents (unless DVENC_FLAG_VIDEO_ONLY), and the 27 video segments of each sequence.
// Reads macroblocks through the record's reader with its threadIndex.
void EncodeDifSequences(const WorkerRecord& record);

}  // namespace encdv

#endif
