#ifndef ENC_DV_CODING_RD_LAMBDA_SEARCH_H
#define ENC_DV_CODING_RD_LAMBDA_SEARCH_H

#include "coding/ladder_search.h"
#include "coding/rd_segment.h"

namespace encdv {

// What the search with rounded coefficients found: the smallest multiplier on the ladder
// whose choice of classes and QNOs fits the segment, to within two steps.
struct RoundedSearch {
    // fits: the index found; the ladder's top (unprobed) when even the coarsest steps
    // overshoot. over: the largest index found not to fit, or -1.
    LadderBracket bracket;
    SegmentChoice fitting;  // the choice at bracket.fits, when it was probed
    // The choices of the last probes by index: the exact search asks again near the end.
    static constexpr int kRemembered = 8;
    SegmentChoice remembered[kRemembered];
    int rememberedIndex[kRemembered];
    int rememberedCount;

    // The choice a probe of index made, if it is still remembered.
    bool Recall(int index, SegmentChoice& choice) const;
    // The coarsest steps overshoot the segment.
    bool Overshot() const;
};

// Searches the ladder from start with every coefficient rounded to the nearest step.
void SearchRoundedLambda(const RdSegmentWork& work, int start, RoundedSearch& search);

}  // namespace encdv

#endif
