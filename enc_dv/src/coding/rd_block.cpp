#include "coding/rd_block.h"

#include "coding/code_length_table.h"
#include "coding/nonzero_list.h"
#include "coding/quantizer.h"
#include "coding/rd_tables.h"

namespace encdv {

void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd) {
    ShiftRounding& rounding = rd.rounding;
    GetQuantizerKernels().roundAtShifts(magnitudes, DistortionWeight[dctMode], rounding);
    for (int s = 0; s < kShiftCount; ++s) {
        // The nonzero positions in order, area after area; each area's first code depends on
        // where the areas before it end, so it is counted by pattern below.
        uint8_t list[64];
        WriteNonzeroList(rounding.nonzero[s], list);
        const uint8_t* amplitudes = rounding.amplitudes[s];
        int i = 0;
        for (int a = 0; a < kAreaCount; ++a) {
            const uint32_t end = static_cast<uint32_t>(kAreaStart[a + 1]);
            AreaCodes codes{0, 0, 0, 1, 0};
            uint32_t previous = 0;
            if (list[i] != 0 && list[i] < end) {
                previous = list[i++];
                codes.first = static_cast<uint8_t>(previous);
                codes.amplitude = amplitudes[previous];
                for (; list[i] != 0 && list[i] < end; ++i) {
                    const uint32_t k = list[i];
                    codes.innerBits +=
                        static_cast<int32_t>(CoefficientCodeBits(k - previous, amplitudes[k]));
                    previous = k;
                }
            }
            codes.last = static_cast<uint8_t>(previous);
            // An amplitude capped at 255 is far off only at step 1; coarser steps hold it (the
            // distortion is not exact there, and not read).
            const uint64_t areaBits = (~uint64_t{0} >> (64 - (end - kAreaStart[a])))
                                      << kAreaStart[a];
            codes.valid = s > 0 || (rounding.capped & areaBits) == 0;
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
