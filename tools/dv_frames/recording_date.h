// The recording date and time that --date gives: a date, a date and time, or now.
#ifndef DVENC_RECORDING_DATE_H
#define DVENC_RECORDING_DATE_H

#include <string>

#include "enc_dv.h"

namespace dvenc {

// Reads "YYYY-MM-DD" (hour -1: no time), "YYYY-MM-DDTHH:MM:SS" or "now" (the local date
// and time), and checks with the library that the date exists and that its year is one of
// the 1975-2074 that DV's two-digit years stand for.
bool ParseRecordingDate(const std::string& text, DVEncRecordingDate* date, std::string* error);

}  // namespace dvenc

#endif
