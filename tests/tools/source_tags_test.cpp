#include "media/source_tags.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <string>

#include "dv_frames/timecode.h"

namespace dvenc {
namespace {

TEST(SourceTags, TimecodeTagBecomesTheLabelOfTheSameMomentInTheDvSystem) {
    const struct {
        const char* tag;
        double rate;
        bool is625;
        const char* label;  // empty: refused
    } cases[] = {
        {"10:11:12:13", 25, true, "10:11:12:13"},
        {"01:00:00;00", 30000.0 / 1001, false, "01:00:00;00"},
        {"01:00:00:29", 30000.0 / 1001, false, "01:00:00:29"},  // non-drop stays so
        {"01:00:00:23", 24000.0 / 1001, false, "01:00:00:28"},  // 23 of 24 is 28.75 of 30
        {"10:00:00:49", 50, true, "10:00:00:24"},
        {"00:01:00;00", 30000.0 / 1001, false, "00:01:00;02"},  // a label drop-frame skips
        {"00:10:00;00", 30000.0 / 1001, false, "00:10:00;00"},
        {"01:02:03;04", 30000.0 / 1001, true, "01:02:03:03"},  // no drop-frame at 625/50
        {"01:02:03.04", 25, true, "01:02:03:04"},
        {"01:02:03:04", 0, false, "01:02:03:04"},  // rate unknown: the system's
        {"00:00:00:25", 25, true, ""},
        {"24:00:00:00", 25, true, ""},
        {"1:00:00:00", 25, true, ""},
        {"", 25, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        DVEncTimecode t = {};
        const bool read = TimecodeFromTag(c.tag, c.rate, c.is625, &t);
        EXPECT_EQ(read, *c.label != '\0');
        if (read) {
            EXPECT_EQ(FormatTimecode(t), c.label);
        }
    }
}

TEST(SourceTags, CreationTimeInUtcIsLocalTimeAndZonedTimesStayAsWritten) {
    const char* const saved = std::getenv("TZ");
    const std::string keep = saved ? saved : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);  // Central Europe
    tzset();
    const struct {
        const char* tag;
        DVEncRecordingDate date;
        bool read;
    } cases[] = {
        {"2024-05-17T09:30:00.000000Z", {2024, 5, 17, 11, 30, 0}, true},  // summer: +2
        {"2024-12-31T23:59:59Z", {2025, 1, 1, 0, 59, 59}, true},          // winter: +1
        {"2024-05-17T09:30:00+0500", {2024, 5, 17, 9, 30, 0}, true},
        {"2024-05-17T09:30:00-07:00", {2024, 5, 17, 9, 30, 0}, true},
        {"2024-05-17 09:30:00", {2024, 5, 17, 9, 30, 0}, true},
        {"2024-05-17", {}, false},
        {"2024-05-17T09:30:00Q", {}, false},
        {"yesterday", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        DVEncRecordingDate d = {};
        EXPECT_EQ(DateFromTag(c.tag, &d), c.read);
        if (!c.read) continue;
        EXPECT_EQ(d.year, c.date.year);
        EXPECT_EQ(d.month, c.date.month);
        EXPECT_EQ(d.day, c.date.day);
        EXPECT_EQ(d.hour, c.date.hour);
        EXPECT_EQ(d.minute, c.date.minute);
        EXPECT_EQ(d.second, c.date.second);
    }
    if (saved) {
        setenv("TZ", keep.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
}  // namespace dvenc
