// SMPTE time code as DV's subcode carries it: hours, minutes, seconds and frames, counting
// 25 frames a second at 625/50 and 30 at 525/60, where drop-frame counting leaves out frame
// labels 00 and 01 of every minute not divisible by ten so that the count keeps pace with
// 30000/1001 frames a second.
#ifndef ENC_DV_FRAME_DATA_TIMECODE_H
#define ENC_DV_FRAME_DATA_TIMECODE_H

#include <cstdint>

#include "common/dif_layout.h"

namespace encdv {

struct Timecode {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    bool dropFrame = false;
};

// True when the label exists in the system: hours 0-23, minutes and seconds 0-59, frames
// below 25 or 30, drop-frame only at 525/60 and not on a label that it leaves out.
bool IsTimecode(const Timecode& timecode, bool is625);

// Frames counted from 00:00:00:00 to a label, and back; the count wraps at 24 hours.
long long TimecodeToFrames(const Timecode& timecode, bool is625);
Timecode TimecodeFromFrames(long long frames, bool is625, bool dropFrame);

// The subcode time code pack (IEC 61834-4, pack 13h): the four BCD fields with the
// drop-frame flag; colour frame, polarity and binary group flags 0.
void TimecodePack(const Timecode& timecode, uint8_t pack[kPackBytes]);

}  // namespace encdv

#endif
