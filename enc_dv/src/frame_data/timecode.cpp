#include "frame_data/timecode.h"

namespace encdv {

namespace {

constexpr long long kDropFramesPerTenMinutes = 17982;  // 10 x 1800 - 9 x 2
constexpr long long kDropFramesPerMinute = 1798;       // a minute that drops two labels

long long FramesPerDay(bool is625, bool dropFrame) {
    if (is625) return 24LL * 3600 * 25;
    return dropFrame ? 24LL * 6 * kDropFramesPerTenMinutes : 24LL * 3600 * 30;
}

uint8_t Bcd(int value) {
    return static_cast<uint8_t>((value / 10) << 4 | value % 10);
}

}  // namespace

bool IsTimecode(const Timecode& t, bool is625) {
    if (t.hours < 0 || t.hours > 23 || t.minutes < 0 || t.minutes > 59 || t.seconds < 0 ||
        t.seconds > 59 || t.frames < 0 || t.frames >= (is625 ? 25 : 30)) {
        return false;
    }
    if (t.dropFrame && is625) return false;
    return !(t.dropFrame && t.seconds == 0 && t.frames < 2 && t.minutes % 10 != 0);
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

void TimecodePack(const Timecode& t, uint8_t pack[kPackBytes]) {
    pack[0] = 0x13;
    pack[1] = static_cast<uint8_t>((t.dropFrame ? 0x40 : 0x00) | Bcd(t.frames));
    pack[2] = Bcd(t.seconds);
    pack[3] = Bcd(t.minutes);
    pack[4] = Bcd(t.hours);
}

}  // namespace encdv
