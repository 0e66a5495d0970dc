// The recording date and time of DV's subcode and VAUX (IEC 61834-4 packs 0x62 and 0x63):
// what --date gives, moving on with the frames.
#ifndef DVENC_RECORDING_DATE_H
#define DVENC_RECORDING_DATE_H

#include <cstdint>
#include <string>

namespace dvenc {

struct RecordingDate {
    int year = 2000;
    int month = 1;
    int day = 1;
    bool hasTime = false;  // without a time only the date is written
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Reads "YYYY-MM-DD", "YYYY-MM-DDTHH:MM:SS" or "now" (the local date and time). The packs
// hold two-digit years, so years 1975-2074 are taken.
bool ParseRecordingDate(const std::string& text, RecordingDate* date, std::string* error);

// The date and time seconds later (a date without a time stays as it is).
RecordingDate AddSeconds(const RecordingDate& date, long long seconds);

// The recording date pack and recording time pack; firstByte is 0x62 (VAUX, subcode) or
// 0x52 (AAUX) for the date, the time pack's being one more. Time zone, day of the week and
// frames are written as unknown (all ones); without a time the time pack is all ones.
void RecordingDatePacks(const RecordingDate& date, uint8_t firstByte, uint8_t datePack[5],
                        uint8_t timePack[5]);

}  // namespace dvenc

#endif
