#include "media/source_tags.h"

#include <cmath>
#include <ctime>

#include "sources/system_io.h"

namespace dvenc {

namespace {

bool Number(const std::string& text, size_t at, size_t count, int* value) {
    if (at + count > text.size()) return false;
    int v = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    *value = v;
    return true;
}

// The zone after the seconds: empty, fractions then a zone, "Z", "+HH:MM", "+HHMM", "+HH".
bool ReadZone(const std::string& text, size_t at, bool* utc) {
    while (at < text.size() && (text[at] == '.' || (text[at] >= '0' && text[at] <= '9'))) ++at;
    *utc = false;
    if (at == text.size()) return true;
    if (text[at] == 'Z' || text[at] == 'z') {
        *utc = true;
        return at + 1 == text.size();
    }
    int hours = 0;
    int minutes = 0;
    const std::string rest = text.substr(at + 1);
    return (text[at] == '+' || text[at] == '-') && Number(rest, 0, 2, &hours) &&
           (rest.size() == 2 || (rest.size() == 4 && Number(rest, 2, 2, &minutes)) ||
            (rest.size() == 5 && rest[2] == ':' && Number(rest, 3, 2, &minutes)));
}

}  // namespace

bool TimecodeFromTag(const std::string& tag, double sourceRate, bool is625,
                     DVEncTimecode* timecode) {
    DVEncTimecode t = {};
    const char last = tag.size() == 11 ? tag[8] : 0;
    const bool shape = tag.size() == 11 && tag[2] == ':' && tag[5] == ':' &&
                       (last == ':' || last == ';' || last == '.' || last == ',');
    if (!shape || !Number(tag, 0, 2, &t.hours) || !Number(tag, 3, 2, &t.minutes) ||
        !Number(tag, 6, 2, &t.seconds) || !Number(tag, 9, 2, &t.frames) || t.hours > 23 ||
        t.minutes > 59 || t.seconds > 59) {
        return false;
    }
    const int dvFrames = is625 ? 25 : 30;
    const int sourceFrames = sourceRate > 0 ? static_cast<int>(std::lround(sourceRate)) : dvFrames;
    if (sourceFrames <= 0 || t.frames >= sourceFrames) return false;
    t.frames = t.frames * dvFrames / sourceFrames;
    t.dropFrame = !is625 && (last == ';' || last == ',');
    // Drop-frame counting has no frames 00 and 01 in minutes not divisible by ten.
    if (t.dropFrame && t.seconds == 0 && t.minutes % 10 != 0 && t.frames < 2) t.frames = 2;
    *timecode = t;
    return true;
}

bool DateFromTag(const std::string& tag, DVEncRecordingDate* date) {
    std::tm when = {};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool utc = false;
    if (tag.size() < 19 || tag[4] != '-' || tag[7] != '-' || (tag[10] != 'T' && tag[10] != ' ') ||
        tag[13] != ':' || tag[16] != ':' || !Number(tag, 0, 4, &year) ||
        !Number(tag, 5, 2, &month) || !Number(tag, 8, 2, &day) || !Number(tag, 11, 2, &hour) ||
        !Number(tag, 14, 2, &minute) || !Number(tag, 17, 2, &second) || !ReadZone(tag, 19, &utc)) {
        return false;
    }
    if (utc) {
        when.tm_year = year - 1900;
        when.tm_mon = month - 1;
        when.tm_mday = day;
        when.tm_hour = hour;
        when.tm_min = minute;
        when.tm_sec = second;
        const std::time_t seconds = UtcSeconds(&when);
        std::tm local;
        if (seconds == static_cast<std::time_t>(-1) || !LocalTime(seconds, &local)) return false;
        year = local.tm_year + 1900;
        month = local.tm_mon + 1;
        day = local.tm_mday;
        hour = local.tm_hour;
        minute = local.tm_min;
        second = local.tm_sec;
    }
    *date = DVEncRecordingDate{year, month, day, hour, minute, second > 59 ? 59 : second};
    return true;
}

}  // namespace dvenc
