// A file's own time code and recording time, as its tags write them, turned into the
// first frame's DV time code and recording date. Plain C++: no FFmpeg types.
#ifndef DVENC_SOURCE_TAGS_H
#define DVENC_SOURCE_TAGS_H

#include <string>

#include "enc_dv.h"

namespace dvenc {

// A time code tag, "HH:MM:SS:FF" or "HH:MM:SS;FF" (drop-frame; '.' and ',' are read as ':'
// and ';'), counted at sourceRate frames a second (0: unknown, taken as the DV system's),
// as the DV label of the same moment: the frame number scaled to the DV system's 25 or 30
// frames, drop-frame counting kept at 525/60 only, a label that drop-frame counting leaves
// out moved on to the first that exists. False when the tag is no time code.
bool TimecodeFromTag(const std::string& tag, double sourceRate, bool is625,
                     DVEncTimecode* timecode);

// A creation time tag, "YYYY-MM-DD[T ]HH:MM:SS" with optional fractions of a second and
// zone: a time in UTC ("Z") as this machine's local time, as DV cameras record it; a time
// with an offset ("+02:00", "-0500") or none as written. False when the tag is no date
// and time; the year is not checked against DV's.
bool DateFromTag(const std::string& tag, DVEncRecordingDate* date);

}  // namespace dvenc

#endif
