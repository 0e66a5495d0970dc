#include "frame_data/recording_date.h"

#include <cstring>

namespace encdv {

namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 of a Gregorian date, and back (counting in 400-year eras of 146097
// days from 0000-03-01, so that a leap day ends its year).
long long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, int* year, int* month, int* day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2));
}

uint8_t Bcd(int value) {
    return static_cast<uint8_t>((value / 10) << 4 | value % 10);
}

// The value of a BCD byte's bits under mask, or -1 when a digit is not one.
int FromBcd(uint8_t byte, uint8_t mask) {
    const int value = byte & mask;
    const int tens = value >> 4;
    const int units = value & 15;
    return tens > 9 || units > 9 ? -1 : 10 * tens + units;
}

constexpr int kVauxPacksPerSequence = 45;
constexpr uint8_t kVauxDate = 0x62;

}  // namespace

bool IsRecordingDate(const RecordingDate& d) {
    if (d.year < 1975 || d.year > 2074 || d.month < 1 || d.month > 12 || d.day < 1 ||
        d.day > DaysInMonth(d.year, d.month)) {
        return false;
    }
    return !d.hasTime || (d.hour >= 0 && d.hour <= 23 && d.minute >= 0 && d.minute <= 59 &&
                          d.second >= 0 && d.second <= 59);
}

RecordingDate AddSeconds(const RecordingDate& date, long long seconds) {
    if (!date.hasTime) return date;
    const long long total = DaysFromCivil(date.year, date.month, date.day) * 86400 +
                            date.hour * 3600 + date.minute * 60 + date.second + seconds;
    long long days = total / 86400;
    long long rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    RecordingDate d = date;
    CivilFromDays(days, &d.year, &d.month, &d.day);
    d.hour = static_cast<int>(rest / 3600);
    d.minute = static_cast<int>(rest / 60 % 60);
    d.second = static_cast<int>(rest % 60);
    return d;
}

long long SecondsBeforeFrame(long long index, bool is625) {
    return is625 ? index / 25 : index * 1001 / 30000;
}

void RecordingDatePacks(const RecordingDate& date, uint8_t kind, uint8_t datePack[kPackBytes],
                        uint8_t timePack[kPackBytes]) {
    datePack[0] = kind;
    datePack[1] = 0xFF;  // daylight saving, thirty-minute flag and time zone: unknown
    datePack[2] = static_cast<uint8_t>(0xC0 | Bcd(date.day));
    datePack[3] = static_cast<uint8_t>(0xE0 | Bcd(date.month));  // day of the week unknown
    datePack[4] = Bcd(date.year % 100);
    std::memset(timePack, 0xFF, kPackBytes);
    if (!date.hasTime) return;
    timePack[0] = static_cast<uint8_t>(kind + 1);
    timePack[1] = 0xFF;  // frames unknown
    timePack[2] = static_cast<uint8_t>(0x80 | Bcd(date.second));
    timePack[3] = static_cast<uint8_t>(0x80 | Bcd(date.minute));
    timePack[4] = static_cast<uint8_t>(0xC0 | Bcd(date.hour));
}

bool ReadRecordingDate(const uint8_t* frame, const FrameShape& shape, RecordingDate* date) {
    bool found = false;
    RecordingDate read;
    for (int s = 0; s < shape.Sequences(); ++s) {
        for (int p = 0; p < kVauxPacksPerSequence; ++p) {
            const uint8_t* pack = frame + shape.VauxPack(s, p);
            if (!found && pack[0] == kVauxDate) {
                const int year = FromBcd(pack[4], 0xFF);
                RecordingDate candidate;
                candidate.year = year < 0 ? 0 : year >= 75 ? 1900 + year : 2000 + year;
                candidate.month = FromBcd(pack[3], 0x1F);
                candidate.day = FromBcd(pack[2], 0x3F);
                found = IsRecordingDate(candidate);
                if (found) read = candidate;
            } else if (!read.hasTime && pack[0] == kVauxDate + 1) {
                RecordingDate time = read;
                time.hasTime = true;
                time.hour = FromBcd(pack[4], 0x3F);
                time.minute = FromBcd(pack[3], 0x7F);
                time.second = FromBcd(pack[2], 0x7F);
                if (time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 &&
                    time.second >= 0 && time.second <= 59) {
                    read.hasTime = true;
                    read.hour = time.hour;
                    read.minute = time.minute;
                    read.second = time.second;
                }
            }
        }
    }
    if (found) *date = read;
    return found;
}

}  // namespace encdv
