#include "coding/rd_block.h"

#include "coding/quantizer.h"
#include "coding/rd_tables.h"

namespace encdv {

void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd) {
    ShiftRounding& rounding = rd.rounding;
    GetQuantizerKernels().roundAtShifts(magnitudes, DistortionWeight[dctMode], rounding);
    // Each area's bits at each shift, every code counted from the coded position before it at
    // the same shift; an area that holds an amplitude capped at 255 at step 1 cannot be coded
    // there (coarser steps hold it).
    int32_t areaBits[kAreaCount][kShiftCount];
    GetQuantizerKernels().areaBits(rounding, areaBits);
    // Bits of an area that cannot be coded: far more than any valid pattern's sum.
    constexpr int32_t kUncodable = 1 << 20;
    for (int a = 0; a < kAreaCount; ++a) {
        if (rounding.capped & kAreaBits[a]) areaBits[a][0] = kUncodable;
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

int32_t WholeCoefficientBits(const uint16_t* magnitudes) {
    // The bit length as a count of powers of two at or below the whole coefficient (below 512),
    // in 16-bit sums (at most 64 x 10), so that compilers turn the loop into vector compares;
    // word 0 is zero and adds nothing.
    int16_t bits = 0;
    for (int k = 0; k < 64; ++k) {
        const int16_t whole = static_cast<int16_t>(magnitudes[k] >> kRdFractionBits);
        int16_t length = static_cast<int16_t>(2 * (whole > 0));
        for (int i = 1; i < 9; ++i) {
            length = static_cast<int16_t>(length + (whole > (1 << i) - 1));
        }
        bits = static_cast<int16_t>(bits + length);
    }
    return bits;
}

}  // namespace encdv
