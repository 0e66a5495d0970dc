#include "coding/rd_exact_search.h"

#include <cstring>

#include "coding/ladder_search.h"
#include "coding/rd_coefficients.h"
#include "coding/rd_cost.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

// How far below the rounded search's multiplier the coefficient choice may take it (a
// quarter octave: measured on photographs and interlaced motion, a whole octave gained 0.02 dB
// luminance for a tenth more time).
constexpr int kCoefficientDescent = 2;

// Exact bits of choices under the coefficient choice at one multiplier, each block and
// pattern quantized once (work.choiceRate, work.choiceAmplitudes).
class ExactBits {
  public:
    ExactBits(RdSegmentWork& work, const MacroblockWork* macroblocks,
              const FineMagnitudes& magnitudes, const RoundedSearch& rounded, uint64_t lambda)
        : work_(work),
          macroblocks_(macroblocks),
          magnitudes_(magnitudes),
          rounded_(rounded),
          lambda_(lambda) {
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            for (int p = 0; p < kQuantPatternCount; ++p) work_.choiceRate[j][p] = -1;
        }
    }

    int32_t Of(const SegmentChoice& c) {
        int32_t bits = 0;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            const int p = Pattern(c, j);
            int16_t& rate = work_.choiceRate[j][p];
            if (rate < 0) {
                rate = static_cast<int16_t>(QuantizeBlockRd(
                    magnitudes_.blocks[j], work_.blocks[j].rounding, DctModeOf(macroblocks_, j), p,
                    WeightScale(j), lambda_, work_.choiceAmplitudes[j][p]));
            }
            bits += rate;
        }
        return bits;
    }

    // The choice at index (remembered from the rounded search, or chosen again) and its bits.
    int32_t At(int index, SegmentChoice& c) {
        if (!rounded_.Recall(index, c)) ChooseAt(work_, LambdaAt(index), c);
        return Of(c);
    }

  private:
    RdSegmentWork& work_;
    const MacroblockWork* macroblocks_;
    const FineMagnitudes& magnitudes_;
    const RoundedSearch& rounded_;
    uint64_t lambda_;
};

}  // namespace

int SearchExactLambda(RdSegmentWork& work, const MacroblockWork* macroblocks,
                      const FineMagnitudes& magnitudes, const RoundedSearch& rounded) {
    constexpr int kTop = kLambdaSteps - 1;
    int fits = rounded.bracket.fits;
    ExactBits exact(work, macroblocks, magnitudes, rounded, LambdaAt(fits));
    SegmentChoice choice = rounded.fitting;
    SegmentChoice probe;
    // Probes keep the choice of the smallest index found to fit.
    auto keepFitting = [&](int index) {
        const bool fitsNow = exact.At(index, probe) <= kSegmentAcBits;
        if (fitsNow) choice = probe;
        return LadderProbe{fitsNow, 0, false};
    };
    int best = fits;
    if (exact.Of(choice) > kSegmentAcBits) {
        // The estimated rates fell short: up the ladder by 1, 2, 4... steps to the top, then
        // bisecting, to the smallest multiplier whose exact bits fit. Where nothing fits, the
        // top's choice is kept for the truncation after the fills.
        auto climb = [&](int index) {
            const bool fitsNow = exact.At(index, probe) <= kSegmentAcBits;
            choice = probe;
            return LadderProbe{fitsNow, 0, false};
        };
        LadderBracket up{fits, fits, 0, 0, false, -1};
        GallopUp(up, LadderRange{0, false, kTop, true}, DoublingSteps{1}, climb);
        if (up.fitsProbed) Narrow(up, 1, false, kSegmentAcBits, keepFitting);
        best = up.fitsProbed ? up.fits : kTop;
        fits = best;
    }
    // Down from there by 2, 4... steps, at most kCoefficientDescent, then bisecting.
    const int lowest = fits > kCoefficientDescent ? fits - kCoefficientDescent : 0;
    LadderBracket down{best, best, 0, 0, true, -1};
    GallopDown(down, LadderRange{lowest, true, kTop, false}, DoublingSteps{2}, false, keepFitting);
    Narrow(down, 1, false, kSegmentAcBits, keepFitting);

    QuantizedSegment& q = work.quantized;
    q.choice = choice;
    q.bits = 0;
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        const int p = Pattern(choice, j);
        std::memcpy(q.amplitudes[j], work.choiceAmplitudes[j][p], 64);
        q.rate[j] = work.choiceRate[j][p];
        q.bits += q.rate[j];
    }
    return fits;
}

}  // namespace encdv
