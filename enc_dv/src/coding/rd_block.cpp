#include "coding/rd_block.h"

#include "coding/code_length_table.h"
#include "coding/rd_tables.h"

namespace encdv {

void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd) {
    const int16_t* weights = DistortionWeight[dctMode];
    for (int a = 0; a < kAreaCount; ++a) {
        const int first = a == 0 ? 1 : kAreaStart[a];
        const int end = kAreaStart[a + 1];
        // The positions still nonzero, in order: an amplitude that rounds to zero at one
        // shift does so at every coarser one, and then costs its whole magnitude.
        uint8_t active[64];
        int count = 0;
        uint32_t largest = 0;
        uint32_t zeroError = 0;  // error of the positions no longer active
        for (int k = first; k < end; ++k) {
            const uint32_t m = magnitudes[k];
            largest = m > largest ? m : largest;
            if (m != 0) active[count++] = static_cast<uint8_t>(k);
        }
        int s = 0;
        for (; s < kShiftCount; ++s) {
            const int t = s + kRdFractionBits;
            const uint32_t offset = static_cast<uint32_t>(RoundingOffset(t));
            uint32_t error = 0;
            AreaCodes codes{0, 0, 0, 1, 0};
            uint32_t previous = 0;
            int kept = 0;
            for (int i = 0; i < count; ++i) {
                const uint32_t k = active[i];
                const uint32_t m = magnitudes[k];
                const uint32_t w = static_cast<uint32_t>(weights[k]);
                const uint32_t rounded = (m + offset) >> t;
                if (rounded == 0) {
                    zeroError += m * m * w;
                    continue;
                }
                const uint32_t amplitude = rounded < 255 ? rounded : 255;
                const int32_t e = static_cast<int32_t>(m) - static_cast<int32_t>(amplitude << t);
                error += static_cast<uint32_t>(e * e) * w;
                active[kept++] = static_cast<uint8_t>(k);
                if (previous == 0) {
                    codes.first = static_cast<uint8_t>(k);
                    codes.amplitude = static_cast<uint8_t>(amplitude);
                } else {
                    codes.innerBits +=
                        static_cast<int32_t>(CoefficientCodeBits(k - previous, amplitude));
                }
                previous = k;
            }
            count = kept;
            codes.last = static_cast<uint8_t>(previous);
            // An amplitude capped at 255 is far off only at step 1; coarser steps hold it.
            codes.valid = s > 0 || ((largest + offset) >> t) <= 255;
            rd.areaDistortion[a][s] = error + zeroError;
            rd.areas[a][s] = codes;
            if (count == 0) break;
        }
        // The area is all zero from shift s on: the coarser shifts measure the same.
        for (int later = s + 1; later < kShiftCount; ++later) {
            rd.areaDistortion[a][later] = rd.areaDistortion[a][s];
            rd.areas[a][later] = rd.areas[a][s];
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
