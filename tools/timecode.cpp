#include "timecode.h"

#include <cstdio>

namespace dvenc {

namespace {

constexpr long long kDropFramesPerTenMinutes = 17982;  // 10 x 1800 - 9 x 2
constexpr long long kDropFramesPerMinute = 1798;       // a minute that drops two labels

bool TwoDigits(const std::string& text, size_t at, int limit, int* value) {
    if (text[at] < '0' || text[at] > '9' || text[at + 1] < '0' || text[at + 1] > '9') {
        return false;
    }
    *value = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return *value < limit;
}

long long FramesPerDay(bool is625, bool dropFrame) {
    if (is625) return 24LL * 3600 * 25;
    return dropFrame ? 24LL * 6 * kDropFramesPerTenMinutes : 24LL * 3600 * 30;
}

uint8_t Bcd(int value) {
    return static_cast<uint8_t>((value / 10) << 4 | value % 10);
}

}  // namespace

bool ParseTimecode(const std::string& text, Timecode* timecode, std::string* error) {
    Timecode t;
    const bool shape =
        text.size() == 11 && text[2] == ':' && text[5] == ':' && (text[8] == ':' || text[8] == ';');
    if (!shape || !TwoDigits(text, 0, 24, &t.hours) || !TwoDigits(text, 3, 60, &t.minutes) ||
        !TwoDigits(text, 6, 60, &t.seconds) || !TwoDigits(text, 9, 100, &t.frames)) {
        *error = "--timecode takes HH:MM:SS:FF (or HH:MM:SS;FF for drop-frame), not '" + text + "'";
        return false;
    }
    t.dropFrame = text[8] == ';';
    *timecode = t;
    return true;
}

bool CheckTimecode(const Timecode& t, bool is625, std::string* error) {
    const std::string text = FormatTimecode(t);
    if (t.frames >= (is625 ? 25 : 30)) {
        *error = "time code " + text + " has no frame " + std::to_string(t.frames) + " in " +
                 (is625 ? "625/50 DV (frames 00-24)" : "525/60 DV (frames 00-29)");
        return false;
    }
    if (t.dropFrame && is625) {
        *error =
            "time code " + text + " is drop-frame, which only 525/60 DV counts; write HH:MM:SS:FF";
        return false;
    }
    if (t.dropFrame && t.seconds == 0 && t.frames < 2 && t.minutes % 10 != 0) {
        *error = "time code " + text + " does not exist: drop-frame counting leaves out frames " +
                 "00 and 01 of this minute";
        return false;
    }
    return true;
}

long long TimecodeToFrames(const Timecode& t, bool is625) {
    const int rate = is625 ? 25 : 30;
    const long long minutes = 60LL * t.hours + t.minutes;
    long long frames = (minutes * 60 + t.seconds) * rate + t.frames;
    if (t.dropFrame && !is625) frames -= 2 * (minutes - minutes / 10);
    return frames;
}

Timecode TimecodeFromFrames(long long frames, bool is625, bool dropFrame) {
    dropFrame = dropFrame && !is625;
    const long long day = FramesPerDay(is625, dropFrame);
    long long n = (frames % day + day) % day;
    if (dropFrame) {
        // Put back the labels left out before this frame: 18 in every whole ten minutes,
        // 2 in every whole minute after the first of the current ten.
        const long long tens = n / kDropFramesPerTenMinutes;
        const long long rest = n % kDropFramesPerTenMinutes;
        n += 18 * tens + (rest > 1 ? 2 * ((rest - 2) / kDropFramesPerMinute) : 0);
    }
    const int rate = is625 ? 25 : 30;
    Timecode t;
    t.frames = static_cast<int>(n % rate);
    t.seconds = static_cast<int>(n / rate % 60);
    t.minutes = static_cast<int>(n / (rate * 60) % 60);
    t.hours = static_cast<int>(n / (rate * 3600LL) % 24);
    t.dropFrame = dropFrame;
    return t;
}

std::string FormatTimecode(const Timecode& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", t.hours, t.minutes, t.seconds,
                  t.dropFrame ? ';' : ':', t.frames);
    return text;
}

void TimecodePack(const Timecode& t, uint8_t pack[5]) {
    pack[0] = 0x13;
    pack[1] = static_cast<uint8_t>((t.dropFrame ? 0x40 : 0x00) | Bcd(t.frames));
    pack[2] = Bcd(t.seconds);
    pack[3] = Bcd(t.minutes);
    pack[4] = Bcd(t.hours);
}

}  // namespace dvenc
