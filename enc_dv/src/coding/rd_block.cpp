#include "coding/rd_block.h"

#include "coding/code_length_table.h"
#include "coding/quantizer.h"
#include "coding/rd_tables.h"
#include "common/bit_scan.h"

namespace encdv {
namespace {

// Bit k set for the scan positions of area a.
constexpr uint64_t AreaMask(int a) {
    const int size = kAreaStart[a + 1] - kAreaStart[a];
    return (~uint64_t{0} >> (64 - size)) << kAreaStart[a];
}
constexpr uint64_t kAreaMasks[kAreaCount] = {AreaMask(0) & ~uint64_t{1}, AreaMask(1), AreaMask(2),
                                             AreaMask(3)};

}  // namespace

void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd) {
    ShiftRounding& rounding = rd.rounding;
    GetQuantizerKernels().roundAtShifts(magnitudes, DistortionWeight[dctMode], rounding);
    for (int s = 0; s < kShiftCount; ++s) {
        // Each area's codes after its first: the first one's run depends on where the areas
        // before it end, so it is counted by pattern below.
        const uint8_t* amplitudes = rounding.amplitudes[s];
        const uint64_t nonzero = rounding.nonzero[s];
        for (int a = 0; a < kAreaCount; ++a) {
            uint64_t bits = nonzero & kAreaMasks[a];
            AreaCodes codes{0, 0, 0, 1, 0};
            if (bits != 0) {
                uint32_t previous = LowestBit(bits);
                codes.first = static_cast<uint8_t>(previous);
                codes.amplitude = amplitudes[previous];
                int32_t inner = 0;
                for (bits &= bits - 1; bits != 0; bits &= bits - 1) {
                    const uint32_t k = LowestBit(bits);
                    inner += static_cast<int32_t>(CoefficientCodeBits(k - previous, amplitudes[k]));
                    previous = k;
                }
                codes.innerBits = inner;
                codes.last = static_cast<uint8_t>(previous);
            }
            // An amplitude capped at 255 is far off only at step 1; coarser steps hold it (the
            // distortion is not exact there, and not read).
            codes.valid = s > 0 || (rounding.capped & kAreaMasks[a]) == 0;
            rd.areaDistortion[a][s] = rounding.distortion[a][s];
            rd.areas[a][s] = codes;
        }
    }

    for (int p = 0; p < kQuantPatternCount; ++p) {
        int32_t bits = 4;  // end-of-block
        uint32_t distortion = 0;
        uint32_t previous = 0;
        bool valid = true;
        for (int a = 0; a < kAreaCount; ++a) {
            const int shift = QuantPattern[p][a];
            const AreaCodes& codes = rd.areas[a][shift];
            valid = valid && codes.valid;
            distortion += rd.areaDistortion[a][shift];
            if (codes.first != 0) {
                bits += static_cast<int32_t>(
                            CoefficientCodeBits(codes.first - previous, codes.amplitude)) +
                        codes.innerBits;
                previous = codes.last;
            }
        }
        rd.rate[p] = valid ? bits : kInvalidRate;
        rd.distortion[p] = valid ? distortion : 0xFFFFFFFFu;
    }
}

}  // namespace encdv
