#include "dv_frames/timecode.h"

#include <gtest/gtest.h>

#include <string>

namespace dvenc {
namespace {

TEST(Timecode, ReadsLabelsAndRefusesThoseThatDoNotExist) {
    const struct {
        const char* text;
        int frameBytes;
        const char* reason;  // null: taken; empty: ParseTimecode refuses it
    } cases[] = {
        {"23:59:59:24", DVENC_FRAME_BYTES_625, nullptr},
        {"00:10:00;00", DVENC_FRAME_BYTES_525, nullptr},
        {"1:00:00:00", DVENC_FRAME_BYTES_625, ""},
        {"24:00:00:00", DVENC_FRAME_BYTES_625, ""},
        {"00:60:00:00", DVENC_FRAME_BYTES_625, ""},
        {"00:00:00.00", DVENC_FRAME_BYTES_625, ""},
        {"00:00:00:00 ", DVENC_FRAME_BYTES_625, ""},
        {"00:00:00:25", DVENC_FRAME_BYTES_625, "has no frame 25 in 625/50 DV"},
        {"00:00:00:30", DVENC_FRAME_BYTES_525_NO_HEADER, "has no frame 30 in 525/60 DV"},
        {"00:00:00;00", DVENC_FRAME_BYTES_625_NO_HEADER, "only 525/60 DV counts"},
        {"00:01:00;00", DVENC_FRAME_BYTES_525, "leaves out frames 00 and 01"},
        {"00:09:00;01", DVENC_FRAME_BYTES_525, "leaves out frames 00 and 01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        DVEncTimecode t;
        std::string error;
        if (c.reason && *c.reason == '\0') {
            EXPECT_FALSE(ParseTimecode(c.text, &t, &error));
            EXPECT_NE(error.find("--timecode takes HH:MM:SS:FF"), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(ParseTimecode(c.text, &t, &error));
        EXPECT_EQ(FormatTimecode(t), c.text);
        EXPECT_EQ(CheckTimecode(t, c.frameBytes, &error), c.reason == nullptr);
        if (c.reason) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
}

}  // namespace
}  // namespace dvenc
