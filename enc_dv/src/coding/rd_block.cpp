#include "coding/rd_block.h"

#include "coding/code_length_table.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

// Codes of one area (positions first to end - 1) from the amplitudes.
AreaCodes MeasureAreaCodes(const uint16_t* amplitudes, int first, int end) {
    AreaCodes codes{0, 0, 0, 1, 0};
    int k = first;
    while (k < end && amplitudes[k] == 0) ++k;
    if (k == end) return codes;
    codes.first = static_cast<uint8_t>(k);
    codes.amplitude = static_cast<uint8_t>(amplitudes[k]);
    uint32_t previous = static_cast<uint32_t>(k);
    int32_t bits = 0;
    for (++k; k < end; ++k) {
        const uint32_t a = amplitudes[k];
        if (a == 0) continue;
        bits += static_cast<int32_t>(CoefficientCodeBits(static_cast<uint32_t>(k) - previous, a));
        previous = static_cast<uint32_t>(k);
    }
    codes.last = static_cast<uint8_t>(previous);
    codes.innerBits = bits;
    return codes;
}

}  // namespace

void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd) {
    const int16_t* weights = DistortionWeight[dctMode];
    uint16_t amplitudes[64];
    for (int a = 0; a < kAreaCount; ++a) {
        const int first = a == 0 ? 1 : kAreaStart[a];
        const int end = kAreaStart[a + 1];
        uint32_t largest = 0;
        for (int k = first; k < end; ++k)
            largest = magnitudes[k] > largest ? magnitudes[k] : largest;
        int s = 0;
        for (; s < kShiftCount; ++s) {
            const int t = s + kRdFractionBits;
            const uint32_t offset = static_cast<uint32_t>(RoundingOffset(t));
            uint32_t sum = 0;
            uint32_t any = 0;
            for (int k = first; k < end; ++k) {
                const uint32_t m = magnitudes[k];
                const uint32_t rounded = (m + offset) >> t;
                const uint32_t amplitude = rounded < 255 ? rounded : 255;
                const int32_t e = static_cast<int32_t>(m) - static_cast<int32_t>(amplitude << t);
                amplitudes[k] = static_cast<uint16_t>(amplitude);
                sum += static_cast<uint32_t>(e * e) * static_cast<uint32_t>(weights[k]);
                any |= amplitude;
            }
            rd.areaDistortion[a][s] = sum;
            rd.areas[a][s] =
                any ? MeasureAreaCodes(amplitudes, first, end) : AreaCodes{0, 0, 0, 1, 0};
            // An amplitude capped at 255 is far off only at step 1; coarser steps hold it.
            rd.areas[a][s].valid = s > 0 || ((largest + offset) >> t) <= 255;
            if (any == 0) break;
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
