// The recording date and time of DV's VAUX, AAUX and subcode (IEC 61834-4 packs 62h/63h,
// 52h/53h): a date with or without a time of day, moving on with the frames.
#ifndef ENC_DV_FRAME_DATA_RECORDING_DATE_H
#define ENC_DV_FRAME_DATA_RECORDING_DATE_H

#include <cstdint>

#include "common/dif_layout.h"
#include "frame_data/frame_shape.h"

namespace encdv {

struct RecordingDate {
    int year = 2000;
    int month = 1;
    int day = 1;
    bool hasTime = false;  // without a time only the date is written
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// True for a date that exists (Gregorian calendar) in the years the packs' two digits
// stand for, 1975-2074, with a time of 00:00:00 to 23:59:59 when it has one.
bool IsRecordingDate(const RecordingDate& date);

// The date and time seconds later; a date without a time stays as it is.
RecordingDate AddSeconds(const RecordingDate& date, long long seconds);

// Whole seconds from the start of frame 0 to the start of frame index: 25 frames a second
// at 625/50, 30000/1001 at 525/60.
long long SecondsBeforeFrame(long long index, bool is625);

// The recording date pack and recording time pack; kind is 62h (VAUX, subcode) or 52h
// (AAUX) for the date, the time pack's being one more. Time zone, day of the week and
// frames are written as unknown (all ones); without a time the time pack is empty.
void RecordingDatePacks(const RecordingDate& date, uint8_t kind, uint8_t datePack[kPackBytes],
                        uint8_t timePack[kPackBytes]);

// The recording date of a DV frame from the first VAUX recording date pack (62h) of any
// DIF sequence that holds a date that exists, with the time of the first valid recording time
// pack (63h) if there is one; two-digit years 75-99 are 1975-1999, 00-74 2000-2074. False,
// date untouched, when no sequence has one.
bool ReadRecordingDate(const uint8_t* frame, const FrameShape& shape, RecordingDate* date);

}  // namespace encdv

#endif
