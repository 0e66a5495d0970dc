#include "dv_frames/timecode.h"

#include <cstdio>

namespace dvenc {

namespace {

bool TwoDigits(const std::string& text, size_t at, int limit, int* value) {
    if (text[at] < '0' || text[at] > '9' || text[at + 1] < '0' || text[at + 1] > '9') {
        return false;
    }
    *value = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return *value < limit;
}

}  // namespace

bool ParseTimecode(const std::string& text, DVEncTimecode* timecode, std::string* error) {
    DVEncTimecode t = {};
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

bool CheckTimecode(const DVEncTimecode& t, int frameBytes, std::string* error) {
    if (DVEncWriteTimecode(nullptr, frameBytes, &t, 0) == DVENC_FILL_OK) return true;
    const bool is625 =
        frameBytes == DVENC_FRAME_BYTES_625 || frameBytes == DVENC_FRAME_BYTES_625_NO_HEADER;
    const std::string text = FormatTimecode(t);
    if (t.dropFrame && is625) {
        *error =
            "time code " + text + " is drop-frame, which only 525/60 DV counts; write HH:MM:SS:FF";
    } else if (t.frames >= (is625 ? 25 : 30)) {
        *error = "time code " + text + " has no frame " + std::to_string(t.frames) + " in " +
                 (is625 ? "625/50 DV (frames 00-24)" : "525/60 DV (frames 00-29)");
    } else {
        *error = "time code " + text + " does not exist: drop-frame counting leaves out frames " +
                 "00 and 01 of every minute not divisible by ten";
    }
    return false;
}

std::string FormatTimecode(const DVEncTimecode& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", t.hours, t.minutes, t.seconds,
                  t.dropFrame ? ';' : ':', t.frames);
    return text;
}

}  // namespace dvenc
