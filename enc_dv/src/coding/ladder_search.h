#ifndef ENC_DV_CODING_LADDER_SEARCH_H
#define ENC_DV_CODING_LADDER_SEARCH_H

// The search every phase of the best-quality mode runs on the multiplier ladder: the smallest
// index whose choice fits a budget, where larger indices (larger multipliers) take fewer bits.
// From a first guess it gallops away by growing steps until the answer changes, then narrows
// the bracket by bisection, or by interpolating the bits where both ends were measured.
// A search is set up by where its steps start and how they grow, how far it may go, and when
// it may stop narrowing.
#include <cstdint>

namespace encdv {

// What a probe of one index found.
struct LadderProbe {
    bool fits;
    int32_t bits;  // what the choice takes (read by interpolation and by BudgetSteps only)
    // Every smaller index gives the same choice: a search going down may stop here.
    bool settled;
};

// What a search knows of the answer: over < answer <= fits. An end not probed lies where the
// range stops (see LadderRange).
struct LadderBracket {
    int over;
    int fits;
    int32_t overBits;
    int32_t fitsBits;
    bool fitsProbed;  // fits was probed and fitted; false while it is the range's end
    int settledAt;    // the index whose probe settled the search going down, or -1
};

// The indices a gallop may probe, low to high. An end that may be probed is (a step that
// would pass it lands on it); one that may not is never probed, and a gallop stops short of
// it. A gallop that meets an end takes the first index past what it may probe as the
// answer's unprobed bound: low - 1 or high + 1 for an end it may probe, else low or high.
struct LadderRange {
    int low;
    bool probeLow;
    int high;
    bool probeHigh;
};

// Steps of 1, 2, 4... from the given first step.
struct DoublingSteps {
    int first;
    int First(int32_t /*bits*/) const { return first; }
    int Next(int step, int32_t /*bits*/) const { return 2 * step; }
};

// From fits, known to fit, down to the first index that does not (or to the range's low end),
// by steps the policy gives; a probe that settles stops the gallop.
template <class Steps, class Probe>
void GallopDown(LadderBracket& b, const LadderRange& range, const Steps& steps, bool settled,
                Probe&& probe) {
    for (int step = steps.First(b.fitsBits);;) {
        int next = b.fits - step;
        if (range.probeLow) {
            if (b.fits <= range.low) break;
            if (settled) {
                b.settledAt = b.fits;
                b.fits = range.low;
                break;
            }
            next = next < range.low ? range.low : next;
        } else if (next <= range.low) {
            break;
        }
        const LadderProbe r = probe(next);
        if (!r.fits) {
            b.over = next;
            b.overBits = r.bits;
            return;
        }
        b.fits = next;
        b.fitsBits = r.bits;
        b.fitsProbed = true;
        settled = r.settled;
        step = steps.Next(step, r.bits);
    }
    b.over = range.probeLow ? range.low - 1 : range.low;
}

// From over, known not to fit, up to the first index that fits (or to the range's high end).
template <class Steps, class Probe>
void GallopUp(LadderBracket& b, const LadderRange& range, const Steps& steps, Probe&& probe) {
    for (int step = steps.First(b.overBits);;) {
        int next = b.over + step;
        if (range.probeHigh) {
            if (b.over >= range.high) break;
            next = next > range.high ? range.high : next;
        } else if (next >= range.high) {
            break;
        }
        const LadderProbe r = probe(next);
        if (r.fits) {
            b.fits = next;
            b.fitsBits = r.bits;
            b.fitsProbed = true;
            return;
        }
        b.over = next;
        b.overBits = r.bits;
        step = steps.Next(step, r.bits);
    }
    b.fits = range.probeHigh ? range.high + 1 : range.high;
    b.fitsProbed = false;
}

// Probes start, then gallops down from it if it fits and up if it does not.
template <class Steps, class Probe>
LadderBracket Locate(int start, const LadderRange& range, const Steps& steps, Probe&& probe) {
    LadderBracket b{start, start, 0, 0, false, -1};
    const LadderProbe r = probe(start);
    if (r.fits) {
        b.fitsBits = r.bits;
        b.fitsProbed = true;
        GallopDown(b, range, steps, r.settled, probe);
    } else {
        b.overBits = r.bits;
        GallopUp(b, range, steps, probe);
    }
    return b;
}

// Narrows the bracket until fits - over <= width. With interpolate, a probe goes where the line
// through the bits at both ends crosses the budget, unless the probe before did not halve the
// bracket; bisection otherwise.
template <class Probe>
void Narrow(LadderBracket& b, int width, bool interpolate, int32_t budget, Probe&& probe) {
    bool interpolateNext = interpolate;
    while (b.fits - b.over > width) {
        int middle = (b.fits + b.over) / 2;
        if (interpolateNext && b.fitsProbed && b.overBits > b.fitsBits) {
            // The first index whose bits on the line through the bracket's ends are in budget.
            const int64_t span = b.fits - b.over;
            const int64_t above = b.overBits - budget;
            const int64_t fall = b.overBits - b.fitsBits;
            const int guess = b.over + static_cast<int>((above * span + fall - 1) / fall);
            middle = guess <= b.over ? b.over + 1 : guess >= b.fits ? b.fits - 1 : guess;
        }
        const int before = b.fits - b.over;
        const LadderProbe r = probe(middle);
        if (r.fits) {
            b.fits = middle;
            b.fitsBits = r.bits;
            b.fitsProbed = true;
        } else {
            b.over = middle;
            b.overBits = r.bits;
        }
        interpolateNext = interpolate && 2 * (b.fits - b.over) <= before;
    }
}

}  // namespace encdv

#endif
