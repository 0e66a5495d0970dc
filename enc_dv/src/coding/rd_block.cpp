#include "coding/rd_block.h"

#include "coding/code_length_table.h"
#include "coding/quantizer.h"
#include "coding/rd_tables.h"
#include "common/bit_scan.h"

namespace encdv {
namespace {

// Bit k set for the AC positions of area a.
constexpr uint64_t AreaMask(int a) {
    const int size = kAreaStart[a + 1] - kAreaStart[a];
    return ((~uint64_t{0} >> (64 - size)) << kAreaStart[a]) & ~uint64_t{1};
}
constexpr uint64_t kAreaMasks[kAreaCount] = {AreaMask(0), AreaMask(1), AreaMask(2), AreaMask(3)};

// Length of the code of amplitude a (1-255) right after a coded position, sign included: the
// run-0 codes grow by a bit at amplitudes 2, 3, 5, 7, 9, 12 and 18; from 23 the 16-bit escape.
constexpr uint8_t AdjacentCodeBits(uint32_t a) {
    constexpr uint32_t kSteps[] = {2, 3, 5, 7, 9, 12, 18};
    uint32_t bits = 3;
    for (uint32_t step : kSteps) bits += a >= step ? 1 : 0;
    return static_cast<uint8_t>(a >= 23 ? 16 : bits);
}

// EstimatedCodeBits by amplitude (0: none), after a nonzero position (row 0) or a zero (row 1).
struct EstimateTable {
    uint8_t bits[2][256];
};
constexpr EstimateTable MakeEstimateTable() {
    EstimateTable table{};
    for (uint32_t a = 1; a < 256; ++a) {
        table.bits[0][a] = AdjacentCodeBits(a);
        table.bits[1][a] = static_cast<uint8_t>(AdjacentCodeBits(a) + kRunStartBits);
    }
    return table;
}
constexpr EstimateTable kEstimate = MakeEstimateTable();

}  // namespace

int32_t EstimatedCodeBits(uint32_t amplitude, bool afterZero) {
    return kEstimate.bits[afterZero ? 1 : 0][amplitude];
}

void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd) {
    ShiftRounding& rounding = rd.rounding;
    GetQuantizerKernels().roundAtShifts(magnitudes, DistortionWeight[dctMode], rounding);
    // Each area's estimated bits at each shift; an area that holds an amplitude capped at 255
    // at step 1 cannot be coded there (coarser steps hold it).
    int32_t areaBits[kAreaCount][kShiftCount];
    for (int s = 0; s < kShiftCount; ++s) {
        const uint8_t* amplitudes = rounding.amplitudes[s];
        const uint64_t nonzero = rounding.nonzero[s] & ~uint64_t{1};
        uint32_t previous = 0;
        for (int a = 0; a < kAreaCount; ++a) {
            int32_t bits = 0;
            for (uint64_t m = nonzero & kAreaMasks[a]; m != 0; m &= m - 1) {
                const uint32_t k = LowestBit(m);
                bits += CoefficientCodeLengthByAmplitude.bits[amplitudes[k]][63 - (k - previous)];
                previous = k;
            }
            areaBits[a][s] = bits;
        }
    }
    // Bits of an area that cannot be coded: far more than any valid pattern's sum.
    constexpr int32_t kUncodable = 1 << 20;
    for (int a = 0; a < kAreaCount; ++a) {
        if (rounding.capped & kAreaMasks[a]) areaBits[a][0] = kUncodable;
    }
    for (int p = 0; p < kQuantPatternCount; ++p) {
        const uint8_t* shifts = QuantPattern[p];
        const int32_t bits = 4 + areaBits[0][shifts[0]] + areaBits[1][shifts[1]] +
                             areaBits[2][shifts[2]] + areaBits[3][shifts[3]];
        const uint32_t distortion =
            rounding.distortion[0][shifts[0]] + rounding.distortion[1][shifts[1]] +
            rounding.distortion[2][shifts[2]] + rounding.distortion[3][shifts[3]];
        const bool valid = bits < kUncodable;
        rd.rate[p] = valid ? bits : kInvalidRate;
        rd.distortion[p] = valid ? distortion : 0xFFFFFFFFu;
    }
}

}  // namespace encdv
