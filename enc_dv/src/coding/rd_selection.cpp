#include "coding/rd_selection.h"

#include "coding/rd_cost.h"
#include "coding/rd_dct_mode.h"
#include "coding/rd_exact_search.h"
#include "coding/rd_fill.h"
#include "coding/rd_lambda_search.h"
#include "coding/rd_overshoot.h"
#include "coding/rd_tables.h"
#include "coding/rd_write_back.h"

namespace encdv {
namespace {

constexpr int kFirstLambdaIndex = 128;

}  // namespace

void ResetRdSearch(RdSearchState& state) {
    state.lambdaIndex = kFirstLambdaIndex;
    state.overshootIndex = kFirstLambdaIndex;
    state.overshooting = false;
}

void SelectQuantizationRd(MacroblockWork* macroblocks, FineMagnitudes& magnitudes,
                          RdSegmentWork& work, RdSearchState& state) {
    ChooseDctModes(macroblocks, magnitudes, work, LambdaAt(state.lambdaIndex));
    PrepareCostTerms(work);

    RoundedSearch rounded;
    SearchRoundedLambda(work, state.lambdaIndex, rounded);
    int endIndex = rounded.bracket.fits;
    const bool overshot = rounded.Overshot();
    if (overshot) {
        QuantizeOvershooting(work, macroblocks, magnitudes, state.overshootIndex);
    } else {
        endIndex = SearchExactLambda(work, macroblocks, magnitudes, rounded);
        const uint64_t lambda = LambdaAt(rounded.bracket.fits);
        FillQuantizedByClass(work, macroblocks, magnitudes, lambda, work.quantized);
        FillByCoefficient(work, macroblocks, magnitudes, work.quantized);
    }
    // The next segment starts where this one's search ended, except that a segment whose
    // finest choice fits hands on the multiplier that showed it.
    state.lambdaIndex = rounded.bracket.settledAt >= 0 ? rounded.bracket.settledAt : endIndex;
    state.overshooting = overshot;

    WriteBackRd(macroblocks, magnitudes, work.quantized);
}

}  // namespace encdv
