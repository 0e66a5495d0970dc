// Time codes as dvenc's command line writes them: "HH:MM:SS:FF", or "HH:MM:SS;FF" for
// drop-frame counting (525/60 only).
#ifndef DVENC_TIMECODE_H
#define DVENC_TIMECODE_H

#include <string>

#include "enc_dv.h"

namespace dvenc {

// Reads "HH:MM:SS:FF" (non-drop) or "HH:MM:SS;FF" (drop-frame); checks the fields' ranges
// except the frame number's, which depends on the system (see CheckTimecode).
bool ParseTimecode(const std::string& text, DVEncTimecode* timecode, std::string* error);

// Checks with the library that the label exists in frames of frameBytes bytes.
bool CheckTimecode(const DVEncTimecode& timecode, int frameBytes, std::string* error);

// "HH:MM:SS:FF", or "HH:MM:SS;FF" for drop-frame.
std::string FormatTimecode(const DVEncTimecode& timecode);

}  // namespace dvenc

#endif
