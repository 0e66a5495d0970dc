#include "coding/rd_lambda_search.h"

#include "coding/rd_cost.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

// About how many bits a segment's choice loses per step up the multiplier ladder, where it
// is nearly full: the first guess of how far the budget is.
constexpr int32_t kBitsPerLambdaStep = 60;

// Steps towards the budget: the bits fall about linearly with the index, so each step goes
// where the bits seen last put the budget, one step more to cross it, and at least doubles.
struct BudgetSteps {
    static int ToBudget(int32_t bits) {
        const int32_t miss = bits > kSegmentAcBits ? bits - kSegmentAcBits : kSegmentAcBits - bits;
        return 2 + miss / kBitsPerLambdaStep;
    }
    int First(int32_t bits) const { return ToBudget(bits); }
    int Next(int step, int32_t bits) const {
        const int predicted = ToBudget(bits);
        return predicted > 2 * step ? predicted : 2 * step;
    }
};

bool ChoosesStepOneEverywhere(const SegmentChoice& choice) {
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        if (Pattern(choice, j) != 0) return false;
    }
    return true;
}

}  // namespace

bool RoundedSearch::Recall(int index, SegmentChoice& choice) const {
    const int count = rememberedCount < kRemembered ? rememberedCount : kRemembered;
    for (int i = 0; i < count; ++i) {
        if (rememberedIndex[i] == index) {
            choice = remembered[i];
            return true;
        }
    }
    return false;
}

bool RoundedSearch::Overshot() const {
    return bracket.fits == kLambdaSteps - 1;
}

void SearchRoundedLambda(const RdSegmentWork& work, int start, RoundedSearch& search) {
    search.rememberedCount = 0;
    SegmentChoice choice;
    auto probe = [&](int index) {
        const int32_t bits = ChooseAt(work, LambdaAt(index), choice);
        const int slot = search.rememberedCount++ % RoundedSearch::kRemembered;
        search.remembered[slot] = choice;
        search.rememberedIndex[slot] = index;
        const bool fits = bits <= kSegmentAcBits;
        if (fits) search.fitting = choice;
        // Step 1 everywhere: smaller multipliers choose the same.
        return LadderProbe{fits, bits, ChoosesStepOneEverywhere(choice)};
    };
    // Down to index 0; up short of the top, which is taken whether it fits or not: nothing
    // coarser is on the ladder. Narrowed to two steps: the exact search looks at the two
    // steps under fits anyway.
    const LadderRange range{0, true, kLambdaSteps - 1, false};
    search.bracket = Locate(start, range, BudgetSteps{}, probe);
    Narrow(search.bracket, 2, true, kSegmentAcBits, probe);
}

}  // namespace encdv
