#include "coding/rd_selection.h"

#include <emmintrin.h>

#include <cstring>

#include "coding/code_length_table.h"
#include "coding/quant_selection.h"
#include "coding/quant_tables.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

// AC bits of a segment: five DIF blocks of four 100-bit and two 68-bit AC spaces.
constexpr int32_t kSegmentAcBits = 2680;
constexpr int kFirstLambdaIndex = 96;
// Above every cost a valid pattern can have (2^48 from the error, 2^58 from the bits).
constexpr int64_t kInvalidCost = int64_t{1} << 60;

// Weight of a colour-difference sample's squared error against a luminance sample's, in
// sixteenths: somewhat less, as the eye and the luminance PSNR care less about it.
constexpr uint32_t kChromaWeight = 12;

void WeighChroma(BlockRd& rd) {
    for (int p = 0; p < kQuantPatternCount; ++p) {
        if (rd.rate[p] != kInvalidRate) rd.distortion[p] = (rd.distortion[p] >> 4) * kChromaWeight;
    }
}

// A choice for the whole segment: per macroblock its QNO and bits, per block its class.
struct SegmentChoice {
    int32_t qno[kMacroblocksPerSegment];
    int32_t macroblockBits[kMacroblocksPerSegment];
    uint8_t classNumber[kBlocksPerSegment];
    int32_t bits;
};

inline int Pattern(const SegmentChoice& choice, int block) {
    return QuantPatternIndex[choice.classNumber[block]][choice.qno[block / kBlocksPerMacroblock]];
}

// The choice minimising error + lambda x bits; returns its bits.
int32_t ChooseAt(const RdSegmentWork& work, uint64_t lambda, SegmentChoice& choice) {
    int64_t cost[kBlocksPerSegment][kQuantPatternCount];
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        const BlockRd& rd = work.blocks[j];
        for (int p = 0; p < kQuantPatternCount; ++p) {
            cost[j][p] = rd.rate[p] == kInvalidRate
                             ? kInvalidCost
                             : (static_cast<int64_t>(rd.distortion[p]) << 16) +
                                   static_cast<int64_t>(lambda) * rd.rate[p];
        }
    }
    int32_t total = 0;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        const int64_t(*blockCost)[kQuantPatternCount] = cost + kBlocksPerMacroblock * k;
        int64_t best = INT64_MAX;
        int bestQno = 0;
        for (int q = kQnoCount - 1; q >= 0; --q) {
            int64_t sum = 0;
            for (int b = 0; b < kBlocksPerMacroblock; ++b) {
                const int64_t* c = blockCost[b];
                int64_t m = c[QuantPatternIndex[0][q]];
                for (int cls = 1; cls < kClassCount; ++cls) {
                    const int64_t x = c[QuantPatternIndex[cls][q]];
                    m = x < m ? x : m;
                }
                sum += m;
            }
            if (sum < best) {
                best = sum;
                bestQno = q;
            }
        }
        choice.qno[k] = bestQno;
        int32_t bits = 0;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int64_t* c = blockCost[b];
            int bestClass = 0;
            for (int cls = 1; cls < kClassCount; ++cls) {
                if (c[QuantPatternIndex[cls][bestQno]] < c[QuantPatternIndex[bestClass][bestQno]])
                    bestClass = cls;
            }
            const int j = kBlocksPerMacroblock * k + b;
            choice.classNumber[j] = static_cast<uint8_t>(bestClass);
            bits += work.blocks[j].rate[QuantPatternIndex[bestClass][bestQno]];
        }
        choice.macroblockBits[k] = bits;
        total += bits;
    }
    choice.bits = total;
    return total;
}

// Takes the finer choice of a macroblock wherever its extra bits still fit, in segment order.
void FillFromFinerChoice(SegmentChoice& chosen, const SegmentChoice& finer) {
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        const int32_t extra = finer.macroblockBits[k] - chosen.macroblockBits[k];
        if (extra <= 0 || chosen.bits + extra > kSegmentAcBits) continue;
        chosen.qno[k] = finer.qno[k];
        chosen.macroblockBits[k] = finer.macroblockBits[k];
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = kBlocksPerMacroblock * k + b;
            chosen.classNumber[j] = finer.classNumber[j];
        }
        chosen.bits += extra;
    }
}

// Spends the bits still free on finer classes, one block at a time, each time where the
// error falls most per added bit.
void FillByClass(const RdSegmentWork& work, SegmentChoice& choice) {
    for (;;) {
        const int32_t room = kSegmentAcBits - choice.bits;
        int best = -1;
        int64_t bestGain = 0;  // error saved, scaled, per added bit
        int32_t bestExtra = 0;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            const int cls = choice.classNumber[j];
            if (cls == 0) continue;
            const BlockRd& rd = work.blocks[j];
            const int q = choice.qno[j / kBlocksPerMacroblock];
            const int from = QuantPatternIndex[cls][q];
            const int to = QuantPatternIndex[cls - 1][q];
            const int32_t extra = rd.rate[to] - rd.rate[from];
            if (rd.rate[to] == kInvalidRate || extra > room ||
                rd.distortion[to] >= rd.distortion[from])
                continue;
            const int64_t saved = static_cast<int64_t>(rd.distortion[from] - rd.distortion[to])
                                  << 8;
            const int64_t gain = extra > 0 ? saved / extra : saved << 10;
            if (gain > bestGain) {
                bestGain = gain;
                best = j;
                bestExtra = extra;
            }
        }
        if (best < 0) return;
        --choice.classNumber[best];
        choice.macroblockBits[best / kBlocksPerMacroblock] += bestExtra;
        choice.bits += bestExtra;
    }
}

// Quantizes a block's magnitudes with a pattern into its coefficient words (keeping their
// signs).
void QuantizeBlock(const uint16_t* magnitudes, int pattern, CoefficientWord* coefficients) {
    coefficients[0] = 0;
    for (int a = 0; a < kAreaCount; ++a) {
        const int shift = QuantPattern[pattern][a];
        for (int k = a == 0 ? 1 : kAreaStart[a]; k < kAreaStart[a + 1]; ++k) {
            const uint32_t amplitude = RoundedAmplitude(magnitudes[k], shift);
            coefficients[k] =
                static_cast<CoefficientWord>((coefficients[k] & kSignBit) | amplitude);
        }
    }
}

// Last resort when even the coarsest choice does not fit: drops the last coded coefficient
// of the block where that costs the least error per bit saved, until the segment fits.
void TruncateToFit(MacroblockWork* macroblocks, const RdSegmentWork& work,
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
            const int shift = QuantPattern[Pattern(choice, j)][q < 6    ? 0
                                                               : q < 21 ? 1
                                                               : q < 43 ? 2
                                                                        : 3];
            const int64_t m = work.magnitudes[j][q];
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
}

void SelectQuantizationRd(MacroblockWork* macroblocks, RdSegmentWork& work, RdSearchState& state) {
    const __m128i magnitudeMask = _mm_set1_epi16(0x1FF);
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        const BlockWork& block =
            macroblocks[j / kBlocksPerMacroblock].blocks[j % kBlocksPerMacroblock];
        const __m128i* in = reinterpret_cast<const __m128i*>(block.coefficients);
        __m128i* out = reinterpret_cast<__m128i*>(work.magnitudes[j]);
        for (int r = 0; r < 8; ++r) {
            _mm_store_si128(out + r,
                            _mm_slli_epi16(_mm_and_si128(_mm_load_si128(in + r), magnitudeMask),
                                           kRdFractionBits));
        }
        work.magnitudes[j][0] = 0;
        MeasureBlockRd(work.magnitudes[j], block.dctMode, work.blocks[j]);
        if (j % kBlocksPerMacroblock >= kBlockCr) WeighChroma(work.blocks[j]);
    }

    // The smallest multiplier on the ladder whose choice fits (fits), and the one below it
    // (over, whose choice does not): galloping from the last segment's, then bisecting.
    SegmentChoice fitting;
    SegmentChoice finer;
    int fits = state.lambdaIndex;
    int over = -1;
    bool haveFiner = false;
    if (ChooseAt(work, LambdaAt(fits), fitting) <= kSegmentAcBits) {
        for (int step = 4;; step *= 2) {
            const int next = fits - step < 0 ? 0 : fits - step;
            if (next == fits) break;  // the finest fits
            if (ChooseAt(work, LambdaAt(next), finer) > kSegmentAcBits) {
                over = next;
                haveFiner = true;
                break;
            }
            fits = next;
            fitting = finer;
            if (fits == 0) break;
        }
    } else {
        over = fits;
        finer = fitting;
        haveFiner = true;
        fits = -1;
        for (int step = 4;; step *= 2) {
            int next = over + step;
            if (next >= kLambdaSteps) next = kLambdaSteps - 1;
            if (ChooseAt(work, LambdaAt(next), fitting) <= kSegmentAcBits) {
                fits = next;
                break;
            }
            finer = fitting;
            over = next;
            if (next == kLambdaSteps - 1) break;
        }
    }
    if (fits >= 0) {
        SegmentChoice probe;
        while (fits - over > 1) {
            const int middle = (fits + over) / 2;
            if (ChooseAt(work, LambdaAt(middle), probe) <= kSegmentAcBits) {
                fits = middle;
                fitting = probe;
            } else {
                over = middle;
                finer = probe;
            }
        }
        if (haveFiner) FillFromFinerChoice(fitting, finer);
        FillByClass(work, fitting);
        state.lambdaIndex = fits;
    } else {
        // Even the coarsest multiplier overshoots (noise): its choice, then truncated.
        fitting = finer;
        state.lambdaIndex = kLambdaSteps - 1;
    }

    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        MacroblockWork& mb = macroblocks[k];
        mb.qno = fitting.qno[k];
        mb.codedBlocks = 0;
        mb.targetBits = 0;
        int32_t total = 0;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = kBlocksPerMacroblock * k + b;
            BlockWork& block = mb.blocks[b];
            const int pattern = Pattern(fitting, j);
            block.classNumber = fitting.classNumber[j];
            QuantizeBlock(work.magnitudes[j], pattern, block.coefficients);
            BuildNonzeroList(block.coefficients, mb.nonzeroList[b]);
            block.codeBits = work.blocks[j].rate[pattern];
            total += block.codeBits;
        }
        mb.totalBits = total;
    }
    if (fitting.bits > kSegmentAcBits) TruncateToFit(macroblocks, work, fitting, fitting.bits);
}

}  // namespace encdv
