// Where a frame's time code and recording date packs go: the subcode's sync blocks (each
// subcode block holds six, every one an ID and one pack), the VAUX main area after the
// source and source control packs, and the AAUX packs after the source control pack.
#ifndef ENC_DV_FRAME_DATA_PACK_PLACES_H
#define ENC_DV_FRAME_DATA_PACK_PLACES_H

#include <cstdint>

#include "common/dif_layout.h"
#include "frame_data/frame_shape.h"

namespace encdv {

// The three packs of the subcode, each in two sync blocks of every subcode block: sync
// blocks k and k + 3 carry pack k.
enum class SubcodeSlot { kTimecode = 0, kRecordingDate = 1, kRecordingTime = 2 };

// Writes pack into its slot in every subcode block of the frame, and the IDs of all six
// sync blocks (the same whichever pack is written); the other slots' packs are left as
// they are (the compress calls leave them empty, all ones).
void WriteSubcodePack(uint8_t* frame, const FrameShape& shape, SubcodeSlot slot,
                      const uint8_t pack[kPackBytes]);

// Writes the VAUX recording date and time packs (62h, 63h) of every sequence: packs 41 and
// 42 of even sequences, 2 and 3 of odd ones, right after the source and source control packs.
void WriteVauxDatePacks(uint8_t* frame, const FrameShape& shape, const uint8_t datePack[kPackBytes],
                        const uint8_t timePack[kPackBytes]);

// Writes the AAUX recording date and time packs (52h, 53h) of every sequence, in the two
// audio blocks after the source control pack's.
void WriteAauxDatePacks(uint8_t* frame, const FrameShape& shape, const uint8_t datePack[kPackBytes],
                        const uint8_t timePack[kPackBytes]);

}  // namespace encdv

#endif
