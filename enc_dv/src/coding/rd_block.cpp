#include "coding/rd_block.h"

#include "coding/quantizer.h"
#include "coding/rd_kernels.h"
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
    GetRdKernels().patternSums(areaBits, rounding.distortion, rd.rate, rd.distortion);
}

int32_t WholeCoefficientBits(const uint16_t* magnitudes) {
    return GetRdKernels().wholeBits(magnitudes);
}

}  // namespace encdv
