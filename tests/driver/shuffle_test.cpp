#include "driver/shuffle.h"

#include <gtest/gtest.h>

#include <vector>

namespace encdv {
namespace {

struct Position {
    int x;
    int y;
};

struct ModeGeometry {
    int mode;
    int sequences;
    int height;
    bool sampling411;
};

constexpr ModeGeometry kModes[] = {
    {0, 12, 576, false},
    {2, 12, 576, true},
    {3, 10, 480, true},
};

Position At(const int32_t* table, int sequence, int videoBlock) {
    const int entry = sequence * kVideoBlocksPerSequence + videoBlock;
    return {table[2 * entry], table[2 * entry + 1]};
}

// Width x height of the macroblock at x in a mode.
Position ShapeAt(const ModeGeometry& g, int x) {
    if (!g.sampling411 || x == 704) return {16, 16};
    return {32, 8};
}

TEST(Shuffle, UnknownModesHaveNoTable) {
    for (int mode : {1, 4, -1, 0x100}) EXPECT_EQ(GetShuffleTable(mode), nullptr) << mode;
}

// Worked positions of IEC 61834-2 macroblock shuffling, sequence 0.
TEST(Shuffle, KnownSegmentPositions) {
    struct Case {
        int mode;
        int segment;
        Position expected[5];
    };
    const Case cases[] = {
        {3, 0, {{288, 96}, {128, 312}, {416, 408}, {0, 0}, {576, 192}}},
        {0, 0, {{288, 96}, {144, 288}, {432, 384}, {0, 0}, {576, 192}}},
        {0, 3, {{304, 128}, {160, 320}, {448, 416}, {16, 32}, {592, 224}}},
    };
    for (const Case& c : cases) {
        const int32_t* table = GetShuffleTable(c.mode);
        ASSERT_NE(table, nullptr);
        for (int m = 0; m < 5; ++m) {
            const Position p = At(table, 0, 5 * c.segment + m);
            EXPECT_EQ(p.x, c.expected[m].x)
                << "mode " << c.mode << " segment " << c.segment << " macroblock " << m;
            EXPECT_EQ(p.y, c.expected[m].y)
                << "mode " << c.mode << " segment " << c.segment << " macroblock " << m;
        }
    }
}

// Every pixel of the picture is covered by exactly one macroblock, so every position
// also occurs exactly once.
TEST(Shuffle, EveryTableTilesThePicture) {
    for (const ModeGeometry& g : kModes) {
        const int32_t* table = GetShuffleTable(g.mode);
        ASSERT_NE(table, nullptr);
        std::vector<int> cover(720 * g.height, 0);
        for (int s = 0; s < g.sequences; ++s) {
            for (int v = 0; v < kVideoBlocksPerSequence; ++v) {
                const Position p = At(table, s, v);
                const Position shape = ShapeAt(g, p.x);
                ASSERT_GE(p.x, 0);
                ASSERT_GE(p.y, 0);
                ASSERT_LE(p.x + shape.x, 720) << "mode " << g.mode << " s " << s << " v " << v;
                ASSERT_LE(p.y + shape.y, g.height) << "mode " << g.mode << " s " << s << " v " << v;
                for (int y = p.y; y < p.y + shape.y; ++y) {
                    for (int x = p.x; x < p.x + shape.x; ++x) ++cover[y * 720 + x];
                }
            }
        }
        int wrong = 0;
        for (int c : cover) wrong += c != 1;
        EXPECT_EQ(wrong, 0) << "mode " << g.mode << ": pixels not covered exactly once";
    }
}

TEST(Shuffle, FourOneOneMacroblocksAlignToTheirShape) {
    for (const ModeGeometry& g : kModes) {
        if (!g.sampling411) continue;
        const int32_t* table = GetShuffleTable(g.mode);
        int rightColumn = 0;
        for (int e = 0; e < g.sequences * kVideoBlocksPerSequence; ++e) {
            const int x = table[2 * e];
            const int y = table[2 * e + 1];
            if (x == 704) {
                ++rightColumn;
                EXPECT_EQ(y % 16, 0) << "mode " << g.mode << " entry " << e;
            } else {
                EXPECT_EQ(x % 32, 0) << "mode " << g.mode << " entry " << e;
                EXPECT_EQ(y % 8, 0) << "mode " << g.mode << " entry " << e;
            }
        }
        // 16 pixels x height of 16x16 macroblocks.
        EXPECT_EQ(rightColumn, g.height / 16) << "mode " << g.mode;
    }
}

// The five macroblocks of a segment come from superblock rows s+2, s+6, s+8, s, s+4 and
// columns 2, 1, 3, 0, 4 (superblocks are 144 x 48 pixels), and macroblock k of a segment is
// the same-numbered macroblock in each: segments of one sequence never reuse a place.
TEST(Shuffle, SegmentMacroblocksLieInTheirSuperblocks) {
    const int rowOffset[5] = {2, 6, 8, 0, 4};
    const int column[5] = {2, 1, 3, 0, 4};
    for (const ModeGeometry& g : kModes) {
        const int32_t* table = GetShuffleTable(g.mode);
        for (int s = 0; s < g.sequences; ++s) {
            for (int v = 0; v < kVideoBlocksPerSequence; ++v) {
                const int m = v % 5;
                const Position p = At(table, s, v);
                const Position shape = ShapeAt(g, p.x);
                const int row = (s + rowOffset[m]) % g.sequences;
                EXPECT_EQ(p.y / 48, row) << "mode " << g.mode << " s " << s << " v " << v;
                const int left = 144 * column[m];
                EXPECT_LT(p.x, left + 144) << "mode " << g.mode << " s " << s << " v " << v;
                EXPECT_GT(p.x + shape.x, left) << "mode " << g.mode << " s " << s << " v " << v;
                // A 32-pixel column split between two 4:1:1 superblocks gives its upper
                // three macroblocks to the left one and its lower three to the right one.
                const bool split = shape.x == 32 && p.x < left + 144 && p.x + 32 > left + 144;
                const bool splitFromLeft = shape.x == 32 && p.x < left;
                if (split) {
                    EXPECT_LT(p.y % 48, 24) << "mode " << g.mode << " s " << s << " v " << v;
                }
                if (splitFromLeft) {
                    EXPECT_GE(p.y % 48, 24) << "mode " << g.mode << " s " << s << " v " << v;
                }
            }
        }
    }
}

}  // namespace
}  // namespace encdv
