#include "cli/progress.h"

#include <gtest/gtest.h>

namespace dvenc {
namespace {

TEST(Progress, LineShowsRateElapsedAndTimeLeft) {
    // 100 of 400 frames in 4 s: 25 fps, and the 300 left take 12 s.
    EXPECT_EQ(FormatProgressLine(100, 400, 4.0),
              "frame 100/400 (25%)  25.0 fps  elapsed 0:04  left 0:12");
    EXPECT_EQ(FormatProgressLine(100, -1, 4.0), "frame 100  25.0 fps  elapsed 0:04");
    EXPECT_EQ(FormatProgressLine(0, -1, 0.0), "frame 0  elapsed 0:00");
    // Time left is rounded up (1 frame at 3 fps is not "0:00"); hours appear when needed:
    // 99000 frames at 1000 / 3725.9 fps take 368864.1 s.
    EXPECT_EQ(FormatProgressLine(3, 4, 1.0), "frame 3/4 (75%)  3.0 fps  elapsed 0:01  left 0:01");
    EXPECT_EQ(FormatProgressLine(1000, 100000, 3725.9),
              "frame 1000/100000 (1%)  0.3 fps  elapsed 1:02:05  left 102:27:45");
}

}  // namespace
}  // namespace dvenc
