#include "coding/rd_selection.h"

#include <cstring>

#include "coding/code_length_table.h"
#include "coding/quant_selection.h"
#include "coding/quant_tables.h"
#include "coding/rd_coefficients.h"
#include "coding/rd_tables.h"
#include "common/bit_scan.h"

namespace encdv {
namespace {

// AC bits of a segment: five DIF blocks of four 100-bit and two 68-bit AC spaces.
constexpr int32_t kSegmentAcBits = 2680;
constexpr int kFirstLambdaIndex = 128;
// About how many bits a segment's choice loses per step up the multiplier ladder, where it
// is nearly full: the first guess of how far the budget is.
constexpr int32_t kBitsPerLambdaStep = 60;
// How far below the rounded search's multiplier the coefficient choice may take it (a
// quarter octave: measured on photographs and interlaced motion, a whole octave gained 0.02 dB
// luminance for a tenth more time).
constexpr int kCoefficientDescent = 2;
// Above every cost a valid pattern can have (2^48 from the error, 2^58 from the bits).
constexpr int64_t kInvalidCost = int64_t{1} << 60;

// How many bits apart WholeCoefficientBits must put a block's two DCT modes for the guess to
// choose between them; closer, both are measured (measured on interlaced motion with the
// other mode worked out from a field difference of 150: a margin of 2 gained 0.18 dB of
// luminance over measuring both from 300, for less time; 0 lost 0.05 dB).
constexpr int32_t kModeGuessMargin = 2;

// Weight of a colour-difference sample's squared error against a luminance sample's, in
// sixteenths: half, as the eye and the luminance PSNR care less about it (measured: 12
// sixteenths cost 0.15 to 0.2 dB of luminance on photographs for colour far above the
// default mode's).
constexpr uint32_t kChromaWeight = 8;

// Where even the coarsest steps overshoot (noise), codes must be dropped whatever the choice;
// there colour errors weigh one and a half times luminance's, which keeps colour at least as
// good as the default mode's (measured on noise) while luminance stays well above it.
constexpr int32_t kOvershootChromaWeight = 24;

// Weight of a block's errors in sixteenths.
inline int32_t WeightScale(int block) {
    return block % kBlocksPerMacroblock >= kBlockCr ? static_cast<int32_t>(kChromaWeight) : 16;
}

void WeighChroma(BlockRd& rd) {
    for (int p = 0; p < kQuantPatternCount; ++p) {
        if (rd.rate[p] != kInvalidRate) rd.distortion[p] = (rd.distortion[p] >> 4) * kChromaWeight;
    }
}

// The least error + lambda x bits of a block over the step patterns (luminance weights).
int64_t LeastCost(const BlockRd& rd, uint64_t lambda) {
    int64_t least = INT64_MAX;
    for (int p = 0; p < kQuantPatternCount; ++p) {
        if (rd.rate[p] == kInvalidRate) continue;
        const int64_t cost = (static_cast<int64_t>(rd.distortion[p]) << 16) +
                             static_cast<int64_t>(lambda) * rd.rate[p];
        least = cost < least ? cost : least;
    }
    return least;
}

inline int Pattern(const SegmentChoice& choice, int block) {
    return QuantPatternIndex[choice.classNumber[block]][choice.qno[block / kBlocksPerMacroblock]];
}

inline int DctModeOf(const MacroblockWork* macroblocks, int block) {
    return macroblocks[block / kBlocksPerMacroblock].blocks[block % kBlocksPerMacroblock].dctMode;
}

// The step patterns of the four classes at each QNO (QuantPatternIndex by QNO), as constants
// for the unrolled loops below.
struct ClassPatterns {
    uint8_t pattern[kQnoCount][kClassCount];
};
constexpr ClassPatterns MakeClassPatterns() {
    ClassPatterns table{};
    for (int q = 0; q < kQnoCount; ++q) {
        for (int c = 0; c < kClassCount; ++c) table.pattern[q][c] = QuantPatternIndex[c][q];
    }
    return table;
}
constexpr ClassPatterns kClassPatterns = MakeClassPatterns();

inline int64_t Least(int64_t a, int64_t b) {
    return b < a ? b : a;
}

// GCC turns the 64-bit products of ChooseAt into emulated vector products (three 32-bit
// products and the shuffles around them for every pair), which take longer than scalar ones.
#if defined(__GNUC__) && !defined(__clang__)
#define ENC_DV_SCALAR_PRODUCTS __attribute__((optimize("no-tree-vectorize")))
#else
#define ENC_DV_SCALAR_PRODUCTS
#endif

// The choice minimising error + lambda x bits; returns its bits.
ENC_DV_SCALAR_PRODUCTS int32_t ChooseAt(const RdSegmentWork& work, uint64_t lambda,
                                        SegmentChoice& choice) {
    int32_t total = 0;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        int64_t cost[kBlocksPerMacroblock][kQuantPatternCount];
        int64_t sum[kQnoCount] = {};
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = kBlocksPerMacroblock * k + b;
            const int64_t* error = work.scaledError[j];
            const int32_t* rate = work.costRate[j];
            int64_t* c = cost[b];
            for (int p = 0; p < kQuantPatternCount; ++p) {
                c[p] = error[p] + static_cast<int64_t>(lambda) * rate[p];
            }
#if defined(__GNUC__)
#pragma GCC unroll 16
#endif
            for (int q = 0; q < kQnoCount; ++q) {
                const uint8_t* classes = kClassPatterns.pattern[q];
                sum[q] +=
                    Least(Least(c[classes[0]], c[classes[1]]), Least(c[classes[2]], c[classes[3]]));
            }
        }
        // Least cost, the finer QNO on a tie; kept in registers so that the comparisons can
        // become conditional moves (the data predict no branch).
        int bestQno = kQnoCount - 1;
        int64_t least = sum[kQnoCount - 1];
        for (int q = kQnoCount - 2; q >= 0; --q) {
            const bool lower = sum[q] < least;
            least = lower ? sum[q] : least;
            bestQno = lower ? q : bestQno;
        }
        choice.qno[k] = bestQno;
        int32_t bits = 0;
        const uint8_t* classes = kClassPatterns.pattern[bestQno];
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int64_t* c = cost[b];
            int bestClass = 0;
            int64_t leastCost = c[classes[0]];
            for (int cls = 1; cls < kClassCount; ++cls) {
                const int64_t x = c[classes[cls]];
                const bool lower = x < leastCost;
                leastCost = lower ? x : leastCost;
                bestClass = lower ? cls : bestClass;
            }
            const int j = kBlocksPerMacroblock * k + b;
            choice.classNumber[j] = static_cast<uint8_t>(bestClass);
            bits += work.blocks[j].rate[classes[bestClass]];
        }
        choice.macroblockBits[k] = bits;
        total += bits;
    }
    choice.bits = total;
    return total;
}

int32_t QuantizeChoice(const SegmentChoice& choice, uint64_t lambda, int32_t chromaScale,
                       const RdSegmentWork& work, const MacroblockWork* macroblocks,
                       const FineMagnitudes& magnitudes, QuantizedSegment& out) {
    out.choice = choice;
    out.bits = 0;
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        out.rate[j] = QuantizeBlockRd(magnitudes.blocks[j], work.blocks[j].rounding,
                                      DctModeOf(macroblocks, j), Pattern(choice, j),
                                      j % kBlocksPerMacroblock >= kBlockCr ? chromaScale : 16,
                                      lambda, out.amplitudes[j]);
        out.bits += out.rate[j];
    }
    return out.bits;
}

// One class finer for a block: its estimated bits after the step and the error it saves per
// estimated bit (scaled by 256; 1024 times the error where the step costs no bits).
struct ClassStep {
    int64_t gain;
    int32_t rate;
    bool possible;  // a finer class exists, codes the block and lowers the error
};

ClassStep ClassStepOf(const RdSegmentWork& work, const QuantizedSegment& q, int j) {
    const int cls = q.choice.classNumber[j];
    if (cls == 0) return ClassStep{0, 0, false};
    const BlockRd& rd = work.blocks[j];
    const int qno = q.choice.qno[j / kBlocksPerMacroblock];
    const int from = QuantPatternIndex[cls][qno];
    const int to = QuantPatternIndex[cls - 1][qno];
    if (rd.rate[to] == kInvalidRate || rd.distortion[to] >= rd.distortion[from])
        return ClassStep{0, 0, false};
    const int32_t extra = rd.rate[to] - rd.rate[from];
    const int64_t saved = static_cast<int64_t>(rd.distortion[from] - rd.distortion[to]) << 8;
    return ClassStep{extra > 0 ? saved / extra : saved << 10, rd.rate[to], true};
}

// Spends the bits left after the coefficient choice on finer classes, block by block, where
// the error falls most per estimated bit; a step whose exact bits do not fit is undone. Each
// block's next step is worked out once and again only when the block changes.
void FillQuantizedByClass(const RdSegmentWork& work, const MacroblockWork* macroblocks,
                          const FineMagnitudes& magnitudes, uint64_t lambda, QuantizedSegment& q) {
    ClassStep steps[kBlocksPerSegment];
    for (int j = 0; j < kBlocksPerSegment; ++j) steps[j] = ClassStepOf(work, q, j);
    for (;;) {
        const int32_t room = kSegmentAcBits - q.bits;
        int best = -1;
        int64_t bestGain = 0;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            const ClassStep& step = steps[j];
            if (!step.possible || step.rate - q.rate[j] > room) continue;
            if (step.gain > bestGain) {
                bestGain = step.gain;
                best = j;
            }
        }
        if (best < 0) return;
        --q.choice.classNumber[best];
        uint8_t amplitudes[64];
        const int32_t rate = QuantizeBlockRd(magnitudes.blocks[best], work.blocks[best].rounding,
                                             DctModeOf(macroblocks, best), Pattern(q.choice, best),
                                             WeightScale(best), lambda, amplitudes);
        if (rate - q.rate[best] > room) {
            // The estimate was short: the block keeps its class and is not tried again.
            ++q.choice.classNumber[best];
            steps[best].possible = false;
            continue;
        }
        std::memcpy(q.amplitudes[best], amplitudes, sizeof amplitudes);
        q.bits += rate - q.rate[best];
        q.rate[best] = rate;
        steps[best] = ClassStepOf(work, q, best);
    }
}

// Below this many bits left, a segment is not filled coefficient by coefficient: measured on
// photographs and interlaced motion, filling every segment gained another 0.02 dB of luminance
// for twice the time of filling from 16 bits.
constexpr int32_t kFillRoom = 16;

// One step up for a coefficient that the coefficient choice lowered or dropped: what it saves in
// weighted error and what it costs in bits.
struct Raise {
    int64_t saved;
    int32_t extra;
    int position;  // 0: none
};

// A block's coded positions and those below their rounded amplitude (bit k for position k).
struct RaiseMasks {
    uint64_t coded;
    uint64_t lowered;
};

// Eight bytes at a time, without a branch: the high bit of each byte of the result is set where
// that byte of x is nonzero, or below the same byte of y.
constexpr uint64_t kHighBits = 0x8080808080808080u;
inline uint64_t NonzeroBytes(uint64_t x) {
    return (((x & ~kHighBits) + ~kHighBits) | x) & kHighBits;
}
inline uint64_t BytesBelow(uint64_t x, uint64_t y) {
    const uint64_t lowBelow = ~((x | kHighBits) - (y & ~kHighBits));
    return ((~x & y) | (~(x ^ y) & lowBelow)) & kHighBits;
}
// The high bits of the eight bytes as the eight low bits.
inline uint64_t GatherHighBits(uint64_t x) {
    return ((x >> 7) * 0x0102040810204080u) >> 56;
}

RaiseMasks MasksOf(const RdSegmentWork& work, const QuantizedSegment& q, int j) {
    // The block's amplitudes rounded at its pattern, area by area.
    alignas(8) uint8_t rounded[64];
    const uint8_t* shifts = QuantPattern[Pattern(q.choice, j)];
    for (int a = 0; a < kAreaCount; ++a) {
        std::memcpy(rounded + kAreaStart[a],
                    work.blocks[j].rounding.amplitudes[shifts[a]] + kAreaStart[a],
                    static_cast<size_t>(kAreaStart[a + 1] - kAreaStart[a]));
    }
    RaiseMasks masks{0, 0};
    for (int w = 0; w < 8; ++w) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, q.amplitudes[j] + 8 * w, 8);
        std::memcpy(&y, rounded + 8 * w, 8);
        masks.coded |= GatherHighBits(NonzeroBytes(x)) << (8 * w);
        masks.lowered |= GatherHighBits(BytesBelow(x, y)) << (8 * w);
    }
    masks.coded &= ~uint64_t{1};
    masks.lowered &= ~uint64_t{1};
    return masks;
}

// saved / extra above that of b (a raise that costs no bits before any that does).
inline bool SavesMorePerBit(const Raise& r, const Raise& b) {
    return r.extra <= 0 ? b.extra > 0 || r.saved > b.saved
                        : b.extra > 0 && r.saved * b.extra > b.saved * r.extra;
}

// The raise of block j that saves the most error per bit within `room` bits.
Raise BestRaise(const MacroblockWork* macroblocks, const FineMagnitudes& magnitudes,
                const QuantizedSegment& q, int j, const RaiseMasks& masks, int32_t room) {
    Raise best{0, 1, 0};
    const uint8_t* amplitudes = q.amplitudes[j];
    const uint8_t* shifts = QuantPattern[Pattern(q.choice, j)];
    const int16_t* weights = DistortionWeight[DctModeOf(macroblocks, j)];
    const int64_t scale = WeightScale(j);
    for (uint64_t lowered = masks.lowered; lowered != 0; lowered &= lowered - 1) {
        const uint32_t k = LowestBit(lowered);
        const uint32_t a = amplitudes[k];
        const int t = shifts[kAreaOfPosition.area[k]] + kRdFractionBits;
        const int64_t m = magnitudes.blocks[j][k];
        const int64_t e0 = m - (static_cast<int64_t>(a) << t);
        const int64_t e1 = m - (static_cast<int64_t>(a + 1) << t);
        const int64_t saved = weights[k] * scale * (e0 * e0 - e1 * e1);
        if (saved <= 0) continue;
        const uint64_t before = masks.coded & ((uint64_t{1} << k) - 1);
        const uint32_t previous = before != 0 ? HighestBit(before) : 0;
        int32_t extra;
        if (a != 0) {
            extra = static_cast<int32_t>(CoefficientCodeBits(k - previous, a + 1)) -
                    static_cast<int32_t>(CoefficientCodeBits(k - previous, a));
        } else {
            // A new code, and the next code's run now starts here.
            extra = static_cast<int32_t>(CoefficientCodeBits(k - previous, 1));
            const uint64_t after = k < 63 ? masks.coded & (~uint64_t{0} << (k + 1)) : 0;
            if (after != 0) {
                const uint32_t next = LowestBit(after);
                extra +=
                    static_cast<int32_t>(CoefficientCodeBits(next - k, amplitudes[next])) -
                    static_cast<int32_t>(CoefficientCodeBits(next - previous, amplitudes[next]));
            }
        }
        if (extra > room) continue;
        const Raise r{saved, extra, static_cast<int>(k)};
        if (best.position == 0 || SavesMorePerBit(r, best)) best = r;
    }
    return best;
}

// Spends the bits still left on coefficients that the coefficient choice lowered or dropped,
// one step at a time where the error falls most per bit, so that no space stays unused that a
// coefficient could buy. Exact: each step counts the codes it changes.
void FillByCoefficient(const RdSegmentWork& work, const MacroblockWork* macroblocks,
                       const FineMagnitudes& magnitudes, QuantizedSegment& q) {
    Raise raises[kBlocksPerSegment];
    RaiseMasks masks[kBlocksPerSegment];
    int32_t room = kSegmentAcBits - q.bits;
    if (room < kFillRoom) return;
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        masks[j] = MasksOf(work, q, j);
        raises[j] = BestRaise(macroblocks, magnitudes, q, j, masks[j], room);
    }
    for (;;) {
        int best = -1;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            if (raises[j].position == 0) continue;
            if (raises[j].extra > room) {
                raises[j] = BestRaise(macroblocks, magnitudes, q, j, masks[j], room);
                if (raises[j].position == 0) continue;
            }
            if (best < 0 || SavesMorePerBit(raises[j], raises[best])) best = j;
        }
        if (best < 0) return;
        const Raise r = raises[best];
        const uint32_t k = static_cast<uint32_t>(r.position);
        uint8_t& amplitude = q.amplitudes[best][k];
        ++amplitude;
        const uint8_t* shifts = QuantPattern[Pattern(q.choice, best)];
        const int area = kAreaOfPosition.area[k];
        masks[best].coded |= uint64_t{1} << k;
        if (amplitude >= work.blocks[best].rounding.amplitudes[shifts[area]][k])
            masks[best].lowered &= ~(uint64_t{1} << k);
        q.rate[best] += r.extra;
        q.bits += r.extra;
        room -= r.extra;
        raises[best] = BestRaise(macroblocks, magnitudes, q, best, masks[best], room);
    }
}

// Last resort when even the coarsest choice does not fit: drops the last coded coefficient
// of the block where that costs the least error per bit saved, until the segment fits.
void TruncateToFit(MacroblockWork* macroblocks, const FineMagnitudes& magnitudes,
                   const SegmentChoice& choice, int32_t bits) {
    while (bits > kSegmentAcBits) {
        int64_t bestScore = INT64_MAX;
        int bestBlock = -1;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            MacroblockWork& mb = macroblocks[j / kBlocksPerMacroblock];
            const int b = j % kBlocksPerMacroblock;
            const uint8_t* list = mb.nonzeroList[b];
            int n = 0;
            while (list[n] != 0) ++n;
            if (n == 0) continue;
            const uint32_t q = list[n - 1];
            const uint32_t p = n > 1 ? list[n - 2] : 0;
            const BlockWork& block = mb.blocks[b];
            const uint32_t amplitude = block.coefficients[q] & 0xFF;
            const int32_t saved = static_cast<int32_t>(CoefficientCodeBits(q - p, amplitude));
            const int shift = QuantPattern[Pattern(choice, j)][kAreaOfPosition.area[q]];
            const int64_t m = magnitudes.blocks[j][q];
            const int64_t e = m - (static_cast<int64_t>(amplitude) << (shift + kRdFractionBits));
            const int64_t added = DistortionWeight[block.dctMode][q] * (m * m - e * e);
            // added / saved, compared without division: scaled by 1024.
            const int64_t score = (added << 10) / saved;
            if (score < bestScore) {
                bestScore = score;
                bestBlock = j;
            }
        }
        if (bestBlock < 0) return;  // cannot happen: 30 end-of-block codes take 120 bits
        MacroblockWork& mb = macroblocks[bestBlock / kBlocksPerMacroblock];
        const int b = bestBlock % kBlocksPerMacroblock;
        uint8_t* list = mb.nonzeroList[b];
        int n = 0;
        while (list[n] != 0) ++n;
        const uint32_t q = list[n - 1];
        const uint32_t p = n > 1 ? list[n - 2] : 0;
        BlockWork& block = mb.blocks[b];
        const int32_t saved =
            static_cast<int32_t>(CoefficientCodeBits(q - p, block.coefficients[q] & 0xFF));
        block.coefficients[q] &= kSignBit;
        list[n - 1] = 0;
        block.codeBits -= saved;
        mb.totalBits -= saved;
        bits -= saved;
    }
}

}  // namespace

void ResetRdSearch(RdSearchState& state) {
    state.lambdaIndex = kFirstLambdaIndex;
    state.overshootIndex = kFirstLambdaIndex;
    state.overshooting = false;
}

void SelectQuantizationRd(MacroblockWork* macroblocks, FineMagnitudes& magnitudes,
                          RdSegmentWork& work, RdSearchState& state) {
    // Each block in the DCT mode that codes it better: where the guesses of their code sizes
    // differ clearly, the smaller; otherwise the one with the lower cost at the last segment's
    // multiplier.
    const uint64_t modeLambda = LambdaAt(state.lambdaIndex);
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        BlockWork& block = macroblocks[j / kBlocksPerMacroblock].blocks[j % kBlocksPerMacroblock];
        bool switchMode = false;
        bool close = false;
        if (magnitudes.otherValid[j]) {
            const int32_t gap = WholeCoefficientBits(magnitudes.blocks[j]) -
                                WholeCoefficientBits(magnitudes.other[j]);
            switchMode = gap > kModeGuessMargin;
            close = !switchMode && gap >= -kModeGuessMargin;
        }
        const int mode = switchMode ? 1 - block.dctMode : block.dctMode;
        MeasureBlockRd(switchMode ? magnitudes.other[j] : magnitudes.blocks[j], mode,
                       work.blocks[j]);
        if (close) {
            MeasureBlockRd(magnitudes.other[j], 1 - block.dctMode, work.otherMode);
            switchMode =
                LeastCost(work.otherMode, modeLambda) < LeastCost(work.blocks[j], modeLambda);
            if (switchMode) work.blocks[j] = work.otherMode;
        }
        if (switchMode) {
            block.dctMode = 1 - block.dctMode;
            std::memcpy(magnitudes.blocks[j], magnitudes.other[j], sizeof magnitudes.blocks[j]);
            const uint64_t signs = magnitudes.otherSigns[j];
            for (int k = 1; k < 64; ++k) {
                block.coefficients[k] = ((signs >> k) & 1) ? kSignBit : 0;
            }
        }
        if (j % kBlocksPerMacroblock >= kBlockCr) WeighChroma(work.blocks[j]);
        // The costs' terms without a branch: an invalid pattern's error alone exceeds any cost.
        const BlockRd& rd = work.blocks[j];
        for (int p = 0; p < kQuantPatternCount; ++p) {
            const bool valid = rd.rate[p] != kInvalidRate;
            work.scaledError[j][p] =
                valid ? static_cast<int64_t>(rd.distortion[p]) << 16 : kInvalidCost;
            work.costRate[j][p] = valid ? rd.rate[p] : 0;
        }
    }

    // Search with every coefficient rounded to the nearest step: the smallest multiplier on
    // the ladder whose choice fits, starting from the last segment's. The bits fall about
    // linearly with the index, so each probe goes where the bits seen so far put the budget
    // (a bisection instead when that guess did not halve the bracket).
    SegmentChoice choice;
    SegmentChoice fitting;  // the choice at fits, once one has fitted
    int32_t probeBits = 0;
    bool finest = false;  // the last probe chose step 1 everywhere: smaller multipliers agree
    // The choices of the last probes by ladder index: the exact search below asks again for
    // indices near the end of this one.
    constexpr int kRemembered = 8;
    SegmentChoice remembered[kRemembered];
    int rememberedIndex[kRemembered];
    int rememberedCount = 0;
    auto fitsAt = [&](int index) {
        probeBits = ChooseAt(work, LambdaAt(index), choice);
        remembered[rememberedCount % kRemembered] = choice;
        rememberedIndex[rememberedCount % kRemembered] = index;
        ++rememberedCount;
        finest = true;
        for (int j = 0; j < kBlocksPerSegment && finest; ++j) finest = Pattern(choice, j) == 0;
        if (probeBits > kSegmentAcBits) return false;
        fitting = choice;
        return true;
    };
    // Ladder steps from bits to the budget at kBitsPerLambdaStep a step, one more to cross it.
    auto stepsToBudget = [](int32_t bits) {
        const int32_t miss = bits > kSegmentAcBits ? bits - kSegmentAcBits : kSegmentAcBits - bits;
        return 2 + miss / kBitsPerLambdaStep;
    };
    int fits = state.lambdaIndex;
    int over = -1;
    int32_t fitsBits = 0;
    int32_t overBits = 0;
    bool fitsProbed = true;
    // Where the next segment starts: where this one's search ends, except that a segment whose
    // finest choice fits hands on the multiplier that showed it.
    int nextStart = -1;
    if (fitsAt(fits)) {
        fitsBits = probeBits;
        for (int step = stepsToBudget(fitsBits); fits > 0;) {
            if (finest) {
                nextStart = fits;
                fits = 0;
                break;
            }
            const int next = fits - step < 0 ? 0 : fits - step;
            if (!fitsAt(next)) {
                over = next;
                overBits = probeBits;
                break;
            }
            fits = next;
            fitsBits = probeBits;
            const int predicted = stepsToBudget(probeBits);
            step = predicted > 2 * step ? predicted : 2 * step;
        }
    } else {
        over = fits;
        overBits = probeBits;
        fits = kLambdaSteps - 1;  // fits or not: nothing coarser is on the ladder
        fitsProbed = false;
        for (int step = stepsToBudget(overBits);;) {
            const int next = over + step;
            if (next >= kLambdaSteps - 1) break;
            if (fitsAt(next)) {
                fits = next;
                fitsBits = probeBits;
                fitsProbed = true;
                break;
            }
            over = next;
            overBits = probeBits;
            const int predicted = stepsToBudget(probeBits);
            step = predicted > 2 * step ? predicted : 2 * step;
        }
    }
    // Narrowed to two steps: the exact search below looks at the two steps under fits anyway.
    bool interpolate = true;
    while (over >= 0 && fits - over > 2) {
        int middle = (fits + over) / 2;
        if (interpolate && fitsProbed && overBits > fitsBits) {
            // The first index whose bits on the line through the bracket's ends are in budget.
            const int64_t span = fits - over;
            const int64_t above = overBits - kSegmentAcBits;
            const int64_t fall = overBits - fitsBits;
            const int guess = over + static_cast<int>((above * span + fall - 1) / fall);
            middle = guess <= over ? over + 1 : guess >= fits ? fits - 1 : guess;
        }
        const int width = fits - over;
        if (fitsAt(middle)) {
            fits = middle;
            fitsBits = probeBits;
            fitsProbed = true;
        } else {
            over = middle;
            overBits = probeBits;
        }
        interpolate = 2 * (fits - over) <= width;
    }

    QuantizedSegment& q = work.quantized;
    int best = fits;
    const bool overshot = over == fits || fits == kLambdaSteps - 1;
    if (overshot) {
        // Even the coarsest steps overshoot (noise): keep them and search the multiplier of
        // the coefficient choice alone, which can drop as much as it must.
        ChooseAt(work, LambdaAt(kLambdaSteps - 1), choice);
        // The smallest index above 0 whose choice fits (the top one is taken whether it fits
        // or not), galloping from the last such segment's by 1, 2, 4... steps (neighbours
        // mostly land within a step or two), then bisecting.
        int probed = -1;
        auto fitsAt = [&](int index) {
            probed = index;
            return QuantizeChoice(choice, LambdaAt(index), kOvershootChromaWeight, work,
                                  macroblocks, magnitudes, q) <= kSegmentAcBits;
        };
        const int start = state.overshootIndex;
        int low = 0;
        int high = kLambdaSteps - 1;
        if (fitsAt(start)) {
            high = start;
            for (int step = 1; high - step > 0; step *= 2) {
                if (!fitsAt(high - step)) {
                    low = high - step;
                    break;
                }
                high -= step;
            }
        } else {
            low = start;
            for (int step = 1; low + step < kLambdaSteps - 1; step *= 2) {
                if (fitsAt(low + step)) {
                    high = low + step;
                    break;
                }
                low += step;
            }
        }
        while (high - low > 1) {
            const int middle = (low + high) / 2;
            if (fitsAt(middle)) {
                high = middle;
            } else {
                low = middle;
            }
        }
        best = high;
        state.overshootIndex = high;
        if (probed != best) {
            QuantizeChoice(choice, LambdaAt(best), kOvershootChromaWeight, work, macroblocks,
                           magnitudes, q);
        }
        // Blocks take their finer quantization of the multiplier below, in segment order,
        // while the bits allow.
        QuantizedSegment& finer = work.finer;
        QuantizeChoice(choice, LambdaAt(low), kOvershootChromaWeight, work, macroblocks, magnitudes,
                       finer);
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            const int32_t extra = finer.rate[j] - q.rate[j];
            if (extra <= 0 || q.bits + extra > kSegmentAcBits) continue;
            std::memcpy(q.amplitudes[j], finer.amplitudes[j], 64);
            q.rate[j] = finer.rate[j];
            q.bits += extra;
        }
    } else {
        // The coefficient choice (lowering or dropping coefficients where it pays) saves
        // bits, which a smaller multiplier can spend on finer steps: the same search again,
        // down from there, with each block quantized coefficient by coefficient at the
        // rounded search's multiplier, once per block and pattern.
        const uint64_t lambda = LambdaAt(fits);
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            for (int p = 0; p < kQuantPatternCount; ++p) work.choiceRate[j][p] = -1;
        }
        auto quantizedBits = [&](const SegmentChoice& c) {
            int32_t bits = 0;
            for (int j = 0; j < kBlocksPerSegment; ++j) {
                const int p = Pattern(c, j);
                int16_t& rate = work.choiceRate[j][p];
                if (rate < 0) {
                    rate = static_cast<int16_t>(QuantizeBlockRd(
                        magnitudes.blocks[j], work.blocks[j].rounding, DctModeOf(macroblocks, j), p,
                        WeightScale(j), lambda, work.choiceAmplitudes[j][p]));
                }
                bits += rate;
            }
            return bits;
        };
        auto bitsAt = [&](int index, SegmentChoice& c) {
            const int count = rememberedCount < kRemembered ? rememberedCount : kRemembered;
            int found = -1;
            for (int i = 0; i < count && found < 0; ++i) {
                if (rememberedIndex[i] == index) found = i;
            }
            if (found >= 0) {
                c = remembered[found];
            } else {
                ChooseAt(work, LambdaAt(index), c);
            }
            return quantizedBits(c);
        };
        choice = fitting;
        SegmentChoice probe;
        // Bisects down to the smallest index above `over` whose exact bits fit, from best,
        // which fits.
        auto bisect = [&](int over) {
            while (best - over > 1) {
                const int middle = (best + over) / 2;
                if (bitsAt(middle, probe) <= kSegmentAcBits) {
                    best = middle;
                    choice = probe;
                } else {
                    over = middle;
                }
            }
        };
        if (quantizedBits(choice) > kSegmentAcBits) {
            // The estimated rates fell short: galloping up the ladder, then bisecting, to the
            // smallest multiplier whose exact bits fit (the coefficient choice keeps its own).
            int under = fits;
            bool found = false;
            for (int step = 1; !found && best < kLambdaSteps - 1; step *= 2) {
                best = under + step < kLambdaSteps - 1 ? under + step : kLambdaSteps - 1;
                found = bitsAt(best, probe) <= kSegmentAcBits;
                // Where nothing fits, the coarsest choice is kept for the truncation below.
                choice = probe;
                if (!found) under = best;
            }
            if (found) bisect(under);
            fits = best;
        }
        const int lowest = fits > kCoefficientDescent ? fits - kCoefficientDescent : 0;
        int low = lowest - 1;
        for (int step = 2; best > lowest; step *= 2) {
            const int next = best - step < lowest ? lowest : best - step;
            if (bitsAt(next, probe) > kSegmentAcBits) {
                low = next;
                break;
            }
            best = next;
            choice = probe;
        }
        bisect(low);
        q.choice = choice;
        q.bits = 0;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            const int p = Pattern(choice, j);
            std::memcpy(q.amplitudes[j], work.choiceAmplitudes[j][p], 64);
            q.rate[j] = work.choiceRate[j][p];
            q.bits += q.rate[j];
        }
        FillQuantizedByClass(work, macroblocks, magnitudes, lambda, q);
        FillByCoefficient(work, macroblocks, magnitudes, q);
    }
    // The next segment starts its rounded search where this one's ended.
    state.lambdaIndex = nextStart >= 0 ? nextStart : fits;
    state.overshooting = overshot;

    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        MacroblockWork& mb = macroblocks[k];
        mb.qno = q.choice.qno[k];
        mb.codedBlocks = 0;
        mb.targetBits = 0;
        int32_t total = 0;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = kBlocksPerMacroblock * k + b;
            BlockWork& block = mb.blocks[b];
            block.classNumber = q.choice.classNumber[j];
            for (int c = 0; c < 64; ++c) {
                block.coefficients[c] = static_cast<CoefficientWord>(
                    (block.coefficients[c] & kSignBit) | q.amplitudes[j][c]);
            }
            BuildNonzeroList(block.coefficients, mb.nonzeroList[b]);
            block.codeBits = q.rate[j];
            total += block.codeBits;
        }
        mb.totalBits = total;
    }
    if (q.bits > kSegmentAcBits) TruncateToFit(macroblocks, magnitudes, q.choice, q.bits);
}

}  // namespace encdv
