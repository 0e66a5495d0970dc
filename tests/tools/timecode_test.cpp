#include "timecode.h"

#include <gtest/gtest.h>

#include <string>

namespace dvenc {
namespace {

Timecode Parsed(const std::string& text) {
    Timecode t;
    std::string error;
    EXPECT_TRUE(ParseTimecode(text, &t, &error)) << error;
    return t;
}

TEST(Timecode, FrameCountsAndLabelsAgreeInEverySystem) {
    // Drop-frame skips labels 00 and 01 at the start of every minute except each tenth:
    // 17982 frames in ten minutes, 1798 in a minute that drops.
    const struct {
        const char* text;
        bool is625;
        long long frames;
    } cases[] = {
        {"00:00:00:00", true, 0},       {"00:00:01:00", true, 25},
        {"23:59:59:24", true, 2159999}, {"00:00:01:00", false, 30},
        {"00:01:00:00", false, 1800},   {"00:00:59;29", false, 1799},
        {"00:01:00;02", false, 1800},   {"00:02:00;02", false, 3598},
        {"00:10:00;00", false, 17982},  {"00:11:00;02", false, 17982 + 1800},
        {"01:00:00;00", false, 107892}, {"23:59:59;29", false, 2589407},
    };
    for (const auto& c : cases) {
        const Timecode t = Parsed(c.text);
        std::string error;
        EXPECT_TRUE(CheckTimecode(t, c.is625, &error)) << c.text << ": " << error;
        EXPECT_EQ(TimecodeToFrames(t, c.is625), c.frames) << c.text;
        EXPECT_EQ(FormatTimecode(TimecodeFromFrames(c.frames, c.is625, t.dropFrame)), c.text);
    }
    // Counting on past the end of a day starts again at midnight.
    EXPECT_EQ(FormatTimecode(TimecodeFromFrames(2589408, false, true)), "00:00:00;00");
    EXPECT_EQ(FormatTimecode(TimecodeFromFrames(2160000 + 26, true, false)), "00:00:01:01");
}

TEST(Timecode, DropFrameCountKeepsPaceWithTheClockOverADay) {
    // Every label is used once and in order: counting up one frame moves the label by one,
    // with the two skipped labels the only gaps.
    Timecode previous = TimecodeFromFrames(0, false, true);
    for (long long n = 1; n < 2589408; n += 1) {
        const Timecode t = TimecodeFromFrames(n, false, true);
        const int step = ((t.hours * 60 + t.minutes) * 60 + t.seconds) * 30 + t.frames -
                         (((previous.hours * 60 + previous.minutes) * 60 + previous.seconds) * 30 +
                          previous.frames);
        const bool minuteThatDrops = t.seconds == 0 && t.frames == 2 && t.minutes % 10 != 0;
        ASSERT_EQ(step, minuteThatDrops ? 3 : 1) << FormatTimecode(t);
        previous = t;
    }
}

TEST(Timecode, RefusesLabelsThatDoNotExist) {
    const struct {
        const char* text;
        bool is625;
        const char* reason;  // empty: ParseTimecode refuses it
    } cases[] = {
        {"1:00:00:00", true, ""},
        {"24:00:00:00", true, ""},
        {"00:60:00:00", true, ""},
        {"00:00:00.00", true, ""},
        {"00:00:00:00 ", true, ""},
        {"00:00:00:25", true, "has no frame 25 in 625/50 DV"},
        {"00:00:00:30", false, "has no frame 30 in 525/60 DV"},
        {"00:00:00;00", true, "only 525/60 DV counts"},
        {"00:01:00;00", false, "leaves out frames 00 and 01"},
        {"00:09:00;01", false, "leaves out frames 00 and 01"},
    };
    for (const auto& c : cases) {
        Timecode t;
        std::string error;
        if (*c.reason == '\0') {
            EXPECT_FALSE(ParseTimecode(c.text, &t, &error)) << c.text;
            EXPECT_NE(error.find("--timecode takes HH:MM:SS:FF"), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(ParseTimecode(c.text, &t, &error)) << c.text;
        EXPECT_FALSE(CheckTimecode(t, c.is625, &error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace dvenc
