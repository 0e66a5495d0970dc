#include "sources/stream_checks.h"

#include <gtest/gtest.h>

namespace dvenc {
namespace {

Y4mHeader Header(int height, int numerator = 0, int denominator = 0) {
    Y4mHeader h;
    h.width = 720;
    h.height = height;
    h.rateNumerator = h.aspectNumerator = numerator;
    h.rateDenominator = h.aspectDenominator = denominator;
    return h;
}

TEST(StreamChecks, WarnsOnlyWhenTheFrameRateIsNotTheSystems) {
    const struct {
        int height, numerator, denominator;
        bool warns;
    } cases[] = {
        {576, 25, 1, false},       {576, 50, 2, false},      {576, 0, 0, false},
        {576, 24, 1, true},        {576, 30000, 1001, true}, {480, 30000, 1001, false},
        {486, 60000, 2002, false}, {480, 30, 1, true},       {480, 24000, 1001, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(!FrameRateWarning(Header(c.height, c.numerator, c.denominator)).empty(), c.warns)
            << c.height << " lines at " << c.numerator << ":" << c.denominator;
    }
}

TEST(StreamChecks, SixteenByNineFollowsTheDisplayAspectOfTheSampleAspect) {
    // The BT.601 and 704-column sample aspects of each system and picture aspect, then the
    // display aspect 14:9 halfway between 4:3 and 16:9 (sample aspect 56:45 at 625/50, 28:27
    // at 525/60), which stays 4:3, and a step of 1/450 or 1/270 either side of it.
    const struct {
        int height, numerator, denominator;
        bool wide;
    } cases[] = {
        {576, 16, 15, false},   {576, 12, 11, false},   {576, 59, 54, false},  {576, 64, 45, true},
        {576, 16, 11, true},    {576, 118, 81, true},   {480, 8, 9, false},    {486, 10, 11, false},
        {480, 32, 27, true},    {486, 40, 33, true},    {576, 1, 1, false},    {576, 0, 0, false},
        {576, 56, 45, false},   {576, 559, 450, false}, {576, 561, 450, true}, {480, 28, 27, false},
        {486, 279, 270, false}, {486, 281, 270, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWideAspect(Header(c.height, c.numerator, c.denominator)), c.wide)
            << c.height << " lines, sample aspect " << c.numerator << ":" << c.denominator;
    }
}

TEST(StreamChecks, NotesAFieldOrderThatDiffersFromDvs) {
    Y4mHeader h = Header(576);
    for (const Y4mInterlace i : {Y4mInterlace::kBottomFirst, Y4mInterlace::kProgressive,
                                 Y4mInterlace::kUnknown, Y4mInterlace::kMixed}) {
        h.interlace = i;
        EXPECT_EQ(FieldOrderNote(h, false), "");
    }
    h.interlace = Y4mInterlace::kTopFirst;
    // The cure is a one-line shift, not an exchange of lines (which serrates diagonals).
    EXPECT_NE(FieldOrderNote(h, false).find("fieldorder=bff"), std::string::npos);
    EXPECT_EQ(FieldOrderNote(h, false).find("--swap-fields"), std::string::npos);
    EXPECT_EQ(FieldOrderNote(h, true), "");
    h.interlace = Y4mInterlace::kBottomFirst;
    EXPECT_NE(FieldOrderNote(h, true).find("makes it top field first"), std::string::npos);
}

}  // namespace
}  // namespace dvenc
