#include "recording_date.h"

#include <gtest/gtest.h>

#include <string>

namespace dvenc {
namespace {

std::string Text(const RecordingDate& d) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d%s", d.year, d.month, d.day,
                  d.hour, d.minute, d.second, d.hasTime ? "" : " (no time)");
    return text;
}

TEST(RecordingDate, ReadsDatesAndRefusesWhatIsNotOne) {
    const struct {
        const char* text;
        const char* parsed;  // empty: refused
    } cases[] = {
        {"2026-12-07", "2026-12-07 00:00:00 (no time)"},
        {"2026-12-07T14:30:05", "2026-12-07 14:30:05"},
        {"2024-02-29T00:00:00", "2024-02-29 00:00:00"},
        {"1975-01-01", "1975-01-01 00:00:00 (no time)"},
        {"2023-02-29", ""},
        {"2026-13-01", ""},
        {"2026-12-07T24:00:00", ""},
        {"2026-12-07 14:30:05", ""},
        {"1974-12-31", ""},
        {"2075-01-01", ""},
    };
    for (const auto& c : cases) {
        RecordingDate d;
        std::string error;
        const bool ok = ParseRecordingDate(c.text, &d, &error);
        EXPECT_EQ(ok, *c.parsed != '\0') << c.text << ": " << error;
        if (ok) {
            EXPECT_EQ(Text(d), c.parsed);
        } else {
            EXPECT_NE(error.find("--date"), std::string::npos) << error;
        }
    }
    RecordingDate now;
    std::string error;
    ASSERT_TRUE(ParseRecordingDate("now", &now, &error));
    EXPECT_TRUE(now.hasTime);
    EXPECT_GE(now.year, 2024);
}

TEST(RecordingDate, SecondsCarryIntoDaysMonthsAndYears) {
    RecordingDate d;
    std::string error;
    ASSERT_TRUE(ParseRecordingDate("2026-12-31T23:59:59", &d, &error));
    EXPECT_EQ(Text(AddSeconds(d, 1)), "2027-01-01 00:00:00");
    EXPECT_EQ(Text(AddSeconds(d, 0)), "2026-12-31 23:59:59");
    ASSERT_TRUE(ParseRecordingDate("2024-02-28T12:00:00", &d, &error));
    EXPECT_EQ(Text(AddSeconds(d, 86400)), "2024-02-29 12:00:00");
    EXPECT_EQ(Text(AddSeconds(d, 2 * 86400)), "2024-03-01 12:00:00");
    EXPECT_EQ(Text(AddSeconds(d, 366LL * 86400)), "2025-02-28 12:00:00");
    ASSERT_TRUE(ParseRecordingDate("2024-02-28", &d, &error));
    EXPECT_EQ(Text(AddSeconds(d, 86400 * 3)), "2024-02-28 00:00:00 (no time)");
}

}  // namespace
}  // namespace dvenc
