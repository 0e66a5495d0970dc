#include "coding/rd_overshoot.h"

#include <cstring>

#include "coding/ladder_search.h"
#include "coding/rd_coefficients.h"
#include "coding/rd_cost.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

// Quantizes every block of a choice coefficient by coefficient at lambda; returns the bits.
int32_t QuantizeChoice(const SegmentChoice& choice, uint64_t lambda, const RdSegmentWork& work,
                       const MacroblockWork* macroblocks, const FineMagnitudes& magnitudes,
                       QuantizedSegment& out) {
    out.choice = choice;
    out.bits = 0;
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        out.rate[j] = QuantizeBlockRd(
            magnitudes.blocks[j], work.blocks[j].rounding, DctModeOf(macroblocks, j),
            Pattern(choice, j),
            j % kBlocksPerMacroblock >= kBlockCr ? kOvershootChromaWeight : kLumaWeight, lambda,
            out.amplitudes[j]);
        out.bits += out.rate[j];
    }
    return out.bits;
}

}  // namespace

void QuantizeOvershooting(RdSegmentWork& work, const MacroblockWork* macroblocks,
                          const FineMagnitudes& magnitudes, int& startIndex) {
    constexpr int kTop = kLambdaSteps - 1;
    SegmentChoice choice;
    ChooseAt(work, LambdaAt(kTop), choice);
    QuantizedSegment& q = work.quantized;
    // The smallest index above 0 whose choice fits (the top one is taken whether it fits or
    // not), galloping from the last such segment's by 1, 2, 4... steps (neighbours mostly land
    // within a step or two), then bisecting.
    int probed = -1;
    auto probe = [&](int index) {
        probed = index;
        const int32_t bits =
            QuantizeChoice(choice, LambdaAt(index), work, macroblocks, magnitudes, q);
        return LadderProbe{bits <= kSegmentAcBits, bits, false};
    };
    LadderBracket b =
        Locate(startIndex, LadderRange{0, false, kTop, false}, DoublingSteps{1}, probe);
    Narrow(b, 1, false, kSegmentAcBits, probe);
    startIndex = b.fits;
    if (probed != b.fits)
        QuantizeChoice(choice, LambdaAt(b.fits), work, macroblocks, magnitudes, q);
    // Blocks take their finer quantization of the multiplier below, in segment order, while
    // the bits allow.
    QuantizedSegment& finer = work.finer;
    QuantizeChoice(choice, LambdaAt(b.over), work, macroblocks, magnitudes, finer);
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        const int32_t extra = finer.rate[j] - q.rate[j];
        if (extra <= 0 || q.bits + extra > kSegmentAcBits) continue;
        std::memcpy(q.amplitudes[j], finer.amplitudes[j], 64);
        q.rate[j] = finer.rate[j];
        q.bits += extra;
    }
}

}  // namespace encdv
