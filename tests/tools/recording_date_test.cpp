#include "dv_frames/recording_date.h"

#include <gtest/gtest.h>

#include <string>

namespace dvenc {
namespace {

std::string Text(const DVEncRecordingDate& d) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                  d.hour, d.minute, d.second);
    return d.hour < 0 ? std::string(text, 10) + " (no time)" : text;
}

TEST(RecordingDate, ReadsDatesAndRefusesWhatIsNotOne) {
    const struct {
        const char* text;
        const char* parsed;  // empty: refused
    } cases[] = {
        {"2026-12-07", "2026-12-07 (no time)"},
        {"2026-12-07T14:30:05", "2026-12-07 14:30:05"},
        {"2024-02-29T00:00:00", "2024-02-29 00:00:00"},
        {"2000-02-29", "2000-02-29 (no time)"},  // divisible by 400: a leap year
        {"1975-01-01", "1975-01-01 (no time)"},
        {"2074-12-31T23:59:59", "2074-12-31 23:59:59"},
        {"2023-02-29", ""},
        {"2026-04-31", ""},  // April has 30 days
        {"2026-13-01", ""},
        {"2026-12-07T24:00:00", ""},
        {"2026-12-07 14:30:05", ""},
        {"1974-12-31", ""},
        {"2075-01-01", ""},
    };
    for (const auto& c : cases) {
        DVEncRecordingDate d;
        std::string error;
        const bool ok = ParseRecordingDate(c.text, &d, &error);
        EXPECT_EQ(ok, *c.parsed != '\0') << c.text << ": " << error;
        if (ok) {
            EXPECT_EQ(Text(d), c.parsed);
        } else {
            EXPECT_NE(error.find("--date"), std::string::npos) << error;
        }
    }
    DVEncRecordingDate now;
    std::string error;
    ASSERT_TRUE(ParseRecordingDate("now", &now, &error));
    EXPECT_GE(now.hour, 0);
    EXPECT_GE(now.year, 2024);
}

}  // namespace
}  // namespace dvenc
