// Counting frames into time code labels, dates and sample counts: the arithmetic behind
// the frame writers, checked against worked examples and whole-day sweeps.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "enc_dv.h"
#include "frame_data/recording_date.h"
#include "frame_data/timecode.h"

namespace encdv {
namespace {

Timecode Label(int h, int m, int s, int f, bool drop) {
    Timecode t;
    t.hours = h;
    t.minutes = m;
    t.seconds = s;
    t.frames = f;
    t.dropFrame = drop;
    return t;
}

std::string Text(const Timecode& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", t.hours, t.minutes, t.seconds,
                  t.dropFrame ? ';' : ':', t.frames);
    return text;
}

TEST(TimecodeCount, FrameCountsAndLabelsAgreeInEverySystem) {
    // Drop-frame skips labels 00 and 01 at the start of every minute except each tenth:
    // 17982 frames in ten minutes, 1798 in a minute that drops.
    const struct {
        Timecode label;
        bool is625;
        long long frames;
    } cases[] = {
        {Label(0, 0, 0, 0, false), true, 0},
        {Label(0, 0, 1, 0, false), true, 25},
        {Label(23, 59, 59, 24, false), true, 2159999},
        {Label(0, 0, 1, 0, false), false, 30},
        {Label(0, 1, 0, 0, false), false, 1800},
        {Label(0, 0, 59, 29, true), false, 1799},
        {Label(0, 1, 0, 2, true), false, 1800},
        {Label(0, 2, 0, 2, true), false, 3598},
        {Label(0, 10, 0, 0, true), false, 17982},
        {Label(0, 11, 0, 2, true), false, 19782},
        {Label(1, 0, 0, 0, true), false, 107892},
        {Label(23, 59, 59, 29, true), false, 2589407},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(IsTimecode(c.label, c.is625)) << Text(c.label);
        EXPECT_EQ(TimecodeToFrames(c.label, c.is625), c.frames) << Text(c.label);
        EXPECT_EQ(Text(TimecodeFromFrames(c.frames, c.is625, c.label.dropFrame)), Text(c.label));
    }
    // Counting on past the end of a day starts again at midnight.
    EXPECT_EQ(Text(TimecodeFromFrames(2589408, false, true)), "00:00:00;00");
    EXPECT_EQ(Text(TimecodeFromFrames(2160000 + 26, true, false)), "00:00:01:01");
}

TEST(TimecodeCount, DropFrameCountKeepsPaceWithTheClockOverADay) {
    // Every label is used once and in order: counting up one frame moves the label by one,
    // with the two skipped labels the only gaps.
    Timecode previous = TimecodeFromFrames(0, false, true);
    for (long long n = 1; n < 2589408; n += 1) {
        const Timecode t = TimecodeFromFrames(n, false, true);
        const int step = ((t.hours * 60 + t.minutes) * 60 + t.seconds) * 30 + t.frames -
                         (((previous.hours * 60 + previous.minutes) * 60 + previous.seconds) * 30 +
                          previous.frames);
        const bool minuteThatDrops = t.seconds == 0 && t.frames == 2 && t.minutes % 10 != 0;
        ASSERT_EQ(step, minuteThatDrops ? 3 : 1) << Text(t);
        ASSERT_TRUE(IsTimecode(t, false)) << Text(t);
        previous = t;
    }
}

std::string Text(const RecordingDate& d) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d%s", d.year, d.month, d.day,
                  d.hour, d.minute, d.second, d.hasTime ? "" : " (no time)");
    return text;
}

TEST(RecordingDateCount, SecondsCarryIntoDaysMonthsAndYears) {
    RecordingDate d;
    d.year = 2026;
    d.month = 12;
    d.day = 31;
    d.hasTime = true;
    d.hour = 23;
    d.minute = 59;
    d.second = 59;
    EXPECT_EQ(Text(AddSeconds(d, 1)), "2027-01-01 00:00:00");
    EXPECT_EQ(Text(AddSeconds(d, 0)), "2026-12-31 23:59:59");
    d.year = 2024;
    d.month = 2;
    d.day = 28;
    d.hour = 12;
    d.minute = 0;
    d.second = 0;
    EXPECT_EQ(Text(AddSeconds(d, 86400)), "2024-02-29 12:00:00");
    EXPECT_EQ(Text(AddSeconds(d, 2 * 86400)), "2024-03-01 12:00:00");
    EXPECT_EQ(Text(AddSeconds(d, 366LL * 86400)), "2025-02-28 12:00:00");
    d.year = 2000;  // divisible by 400: a leap year
    EXPECT_EQ(Text(AddSeconds(d, 86400)), "2000-02-29 12:00:00");
    d.year = 2100;  // divisible by 100 only: not one
    EXPECT_EQ(Text(AddSeconds(d, 86400)), "2100-03-01 12:00:00");
    d.hasTime = false;
    EXPECT_EQ(Text(AddSeconds(d, 86400 * 3)), "2100-02-28 12:00:00 (no time)");
}

TEST(AudioSamples, CountsPerFrameAddUpToTheRateOverAnyLength) {
    // 525/60: 48 kHz locked, 1600 then four times 1602; the other rates never drift by a
    // whole sample from rate x 1001 / 30000 per frame. 625/50: rate / 25 every frame. Also
    // far into a stream (a day and more of frames).
    const struct {
        int rate;
        int frameBytes;
        int low, high;  // the range of IEC 61834-4 for the rate and system
    } cases[] = {
        {48000, DVENC_FRAME_BYTES_525, 1580, 1620},
        {44100, DVENC_FRAME_BYTES_525_NO_HEADER, 1452, 1489},
        {32000, DVENC_FRAME_BYTES_525, 1053, 1080},
        {48000, DVENC_FRAME_BYTES_625_NO_HEADER, 1896, 1944},
        {44100, DVENC_FRAME_BYTES_625, 1742, 1786},
        {32000, DVENC_FRAME_BYTES_625, 1264, 1296},
    };
    for (const auto& c : cases) {
        const bool is625 = c.frameBytes >= DVENC_FRAME_BYTES_625_NO_HEADER;
        for (const long long start : {0LL, 2589390LL}) {
            long long total = 0;
            for (long long f = start; f < start + 3000; ++f) {
                const int n = DVEncAudioSamples(c.frameBytes, c.rate, static_cast<int>(f));
                ASSERT_GE(n, c.low);
                ASSERT_LE(n, c.high);
                ASSERT_LE(n, DVENC_MAX_AUDIO_SAMPLES);
                total += n;
                const long long frames = f + 1;
                const long long due =
                    is625 ? (frames - start) * c.rate / 25
                          : frames * c.rate * 1001 / 30000 - start * c.rate * 1001 / 30000;
                if (c.rate == 48000 && !is625) {
                    ASSERT_EQ(n, f % 5 == 0 ? 1600 : 1602) << "frame " << f;
                    if (frames % 5 == 0) {
                        ASSERT_EQ(total, due) << frames << " frames";
                    }
                } else {
                    ASSERT_EQ(total, due) << c.rate << " Hz, " << frames << " frames";
                }
            }
        }
    }
    EXPECT_EQ(DVEncAudioSamples(DVENC_FRAME_BYTES_525, 48000, -1), 0);
    EXPECT_EQ(DVEncAudioSamples(DVENC_FRAME_BYTES_525, 22050, 0), 0);
    EXPECT_EQ(DVEncAudioSamples(120001, 48000, 0), 0);
}

}  // namespace
}  // namespace encdv
