#include "dv_frames/recording_date.h"

#include <ctime>

#include "sources/system_io.h"

namespace dvenc {

namespace {

bool Digits(const std::string& text, size_t at, size_t count, int* value) {
    int v = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    *value = v;
    return true;
}

bool Now(DVEncRecordingDate* date, std::string* error) {
    const std::time_t now = std::time(nullptr);
    std::tm local;
    if (!LocalTime(now, &local)) {
        *error = "cannot read the local date and time for --date now";
        return false;
    }
    date->year = local.tm_year + 1900;
    date->month = local.tm_mon + 1;
    date->day = local.tm_mday;
    date->hour = local.tm_hour;
    date->minute = local.tm_min;
    date->second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
    return true;
}

}  // namespace

bool ParseRecordingDate(const std::string& text, DVEncRecordingDate* date, std::string* error) {
    DVEncRecordingDate d = {2000, 1, 1, -1, 0, 0};
    if (text == "now") {
        if (!Now(&d, error)) return false;
    } else {
        const std::string usage =
            "--date takes YYYY-MM-DD, YYYY-MM-DDTHH:MM:SS or now, not '" + text + "'";
        const bool shape = (text.size() == 10 || (text.size() == 19 && text[10] == 'T' &&
                                                  text[13] == ':' && text[16] == ':')) &&
                           text[4] == '-' && text[7] == '-';
        if (!shape || !Digits(text, 0, 4, &d.year) || !Digits(text, 5, 2, &d.month) ||
            !Digits(text, 8, 2, &d.day)) {
            *error = usage;
            return false;
        }
        if (text.size() == 19 &&
            (!Digits(text, 11, 2, &d.hour) || !Digits(text, 14, 2, &d.minute) ||
             !Digits(text, 17, 2, &d.second))) {
            *error = usage;
            return false;
        }
    }
    if (DVEncWriteRecordingDate(nullptr, DVENC_FRAME_BYTES_625, &d, 0) != DVENC_FILL_OK) {
        if (d.year < 1975 || d.year > 2074) {
            *error = "--date takes years 1975 to 2074 (DV writes two digits), not " +
                     std::to_string(d.year);
        } else {
            *error = "--date " + text + " is not a date";
        }
        return false;
    }
    *date = d;
    return true;
}

}  // namespace dvenc
