// SMPTE time code as DV's subcode carries it: hours, minutes, seconds and frames, counting
// 25 frames a second at 625/50 and 30 at 525/60, where drop-frame counting leaves out
// frame labels 00 and 01 of every minute not divisible by ten so that the count keeps pace
// with 30000/1001 frames a second.
#ifndef DVENC_TIMECODE_H
#define DVENC_TIMECODE_H

#include <cstdint>
#include <string>

namespace dvenc {

struct Timecode {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    bool dropFrame = false;
};

// Reads "HH:MM:SS:FF" (non-drop) or "HH:MM:SS;FF" (drop-frame); checks the fields' ranges
// except the frame number's, which depends on the system (see CheckTimecode).
bool ParseTimecode(const std::string& text, Timecode* timecode, std::string* error);

// Checks that timecode exists in the system: frames below 25 or 30, drop-frame only at
// 525/60 and not on a label that drop-frame counting leaves out.
bool CheckTimecode(const Timecode& timecode, bool is625, std::string* error);

// Frames counted from 00:00:00:00 to timecode, and back; the count wraps at 24 hours.
long long TimecodeToFrames(const Timecode& timecode, bool is625);
Timecode TimecodeFromFrames(long long frames, bool is625, bool dropFrame);

// "HH:MM:SS:FF", or "HH:MM:SS;FF" for drop-frame.
std::string FormatTimecode(const Timecode& timecode);

// The subcode time code pack (IEC 61834-4, pack 0x13): the four BCD fields with the
// drop-frame flag; colour frame, polarity and binary group flags 0.
void TimecodePack(const Timecode& timecode, uint8_t pack[5]);

}  // namespace dvenc

#endif
