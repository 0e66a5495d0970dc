#include "coding/rd_write_back.h"

#include "coding/code_length_table.h"
#include "coding/quantizer.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

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
            // added / saved, scaled by 1024 (added is negative only for an amplitude above
            // its magnitude, which no search makes).
            const int64_t score = added * 1024 / saved;
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

void WriteBackRd(MacroblockWork* macroblocks, const FineMagnitudes& magnitudes,
                 const QuantizedSegment& q) {
    const auto buildNonzeroList = GetQuantizerKernels().buildNonzeroList;
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
            buildNonzeroList(block.coefficients, mb.nonzeroList[b]);
            block.codeBits = q.rate[j];
            total += block.codeBits;
        }
        mb.totalBits = total;
    }
    if (q.bits > kSegmentAcBits) TruncateToFit(macroblocks, magnitudes, q.choice, q.bits);
}

}  // namespace encdv
