// The ladder search behind every search of the best-quality mode: on a monotone predicate it
// finds the smallest fitting index from any start, never probes an end it may not, and
// narrows to the width asked for.
#include "coding/ladder_search.h"

#include <gtest/gtest.h>

#include <set>

namespace encdv {
namespace {

constexpr int kTop = 255;

// Indices from `answer` on fit; bits fall by 10 a step through the budget of 1000 there.
struct Monotone {
    int answer;
    std::set<int> probed;
    LadderProbe operator()(int index) {
        EXPECT_TRUE(probed.insert(index).second) << "probed twice: " << index;
        const int32_t bits = 1000 + 10 * (answer - index);
        return LadderProbe{index >= answer, index >= answer ? bits - 5 : bits, false};
    }
};

TEST(LadderSearch, FindsTheSmallestFittingIndexFromAnyStartWithinItsRange) {
    const struct {
        LadderRange range;
        int width;
        bool interpolate;
    } setups[] = {
        {{0, true, kTop, false}, 2, true},    // the rounded search
        {{0, false, kTop, false}, 1, false},  // the overshoot search
    };
    for (const auto& setup : setups) {
        for (int answer : {0, 1, 2, 3, 17, 128, 200, 253, 254, 255, 256}) {
            for (int start : {0, 1, 5, 128, 254, kTop}) {
                SCOPED_TRACE(testing::Message() << "answer " << answer << " start " << start
                                                << " width " << setup.width);
                Monotone probe{answer, {}};
                LadderBracket b = Locate(start, setup.range, DoublingSteps{1}, probe);
                Narrow(b, setup.width, setup.interpolate, 1000, probe);
                EXPECT_LE(b.fits - b.over, setup.width);
                // An end that may not be probed stands in for the answer beyond it (the
                // start is probed wherever it is).
                const int low = setup.range.probeLow || start == 0 ? 0 : 1;
                const int expected = answer < low ? low : answer > kTop ? kTop : answer;
                EXPECT_GE(b.fits, expected);
                EXPECT_LE(b.fits - expected, setup.width - 1);
                if (!setup.range.probeLow && start != 0) {
                    EXPECT_EQ(probe.probed.count(0), 0u);
                }
                if (start != kTop) {
                    EXPECT_EQ(probe.probed.count(kTop), 0u);
                }
            }
        }
    }
}

TEST(LadderSearch, GallopsStopAtTheirEndsAndASettledProbeEndsTheDescent) {
    // Up to an end it may probe: the end is probed once and nothing fits.
    Monotone none{1000, {}};
    LadderBracket up{10, 10, 0, 0, false, -1};
    GallopUp(up, LadderRange{0, false, 40, true}, DoublingSteps{1}, none);
    EXPECT_FALSE(up.fitsProbed);
    EXPECT_EQ(up.fits, 41);
    EXPECT_EQ(up.over, 40);
    EXPECT_EQ(none.probed, (std::set<int>{11, 13, 17, 25, 40}));

    // Down, a probe that settles stops at once, taking the range's low end as the answer.
    int calls = 0;
    LadderBracket down{100, 100, 0, 0, true, -1};
    GallopDown(down, LadderRange{0, true, kTop, false}, DoublingSteps{2}, false, [&](int index) {
        ++calls;
        return LadderProbe{true, 0, index <= 96};
    });
    EXPECT_EQ(calls, 2);  // 98, then 94, which settles
    EXPECT_EQ(down.settledAt, 94);
    EXPECT_EQ(down.fits, 0);
    EXPECT_EQ(down.over, -1);
}

}  // namespace
}  // namespace encdv
