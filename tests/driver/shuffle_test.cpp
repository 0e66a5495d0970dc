#include "driver/shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace encdv {
namespace {

// Worked positions of IEC 61834-2 macroblock shuffling: sequence 0, one segment.
TEST(Shuffle, KnownSegmentPositions) {
    struct Case {
        int mode, segment;
        int xy[10];
    };
    const Case cases[] = {
        {3, 0, {288, 96, 128, 312, 416, 408, 0, 0, 576, 192}},
        {0, 0, {288, 96, 144, 288, 432, 384, 0, 0, 576, 192}},
        {0, 3, {304, 128, 160, 320, 448, 416, 16, 32, 592, 224}},
    };
    for (const Case& c : cases) {
        const int32_t* entry = GetShuffleTable(c.mode) + 2 * 5 * c.segment;
        for (int i = 0; i < 10; ++i) EXPECT_EQ(entry[i], c.xy[i]) << c.mode << "/" << i;
    }
}

// Macroblocks are 16x16 in 4:2:0 and at x = 704; other 4:1:1 ones are 32x8 on their own
// grid. Together they cover every pixel exactly once, so each position occurs once.
TEST(Shuffle, EveryTableTilesThePicture) {
    for (int mode : {0, 2, 3}) {
        const int height = mode == 3 ? 480 : 576;
        const int32_t* table = GetShuffleTable(mode);
        std::vector<int> cover(720 * height, 0);
        for (int e = 0; e < height / 48 * kVideoBlocksPerSequence; ++e) {
            const int x = table[2 * e], y = table[2 * e + 1];
            const bool square = mode == 0 || x == 704;
            const int w = square ? 16 : 32, h = square ? 16 : 8;
            ASSERT_TRUE(x % w == 0 && y % h == 0 && x + w <= 720 && y + h <= height)
                << "mode " << mode << " entry " << e << ": " << x << "," << y;
            for (int row = y; row < y + h; ++row) {
                for (int col = x; col < x + w; ++col) ++cover[row * 720 + col];
            }
        }
        EXPECT_EQ(std::count(cover.begin(), cover.end(), 1), 720 * height) << "mode " << mode;
    }
}

}  // namespace
}  // namespace encdv
