#include "transform/macroblock_transform_fine.h"

#include "transform/forward_dct_fine.h"
#include "transform/macroblock_transform.h"
#include "transform/scan_order.h"

namespace encdv {

void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             uint16_t (*magnitudes)[64]) {
    int32_t transformed[64];
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        const uint8_t* samples = pixels.blocks[b];
        BlockWork& block = work.blocks[b];
        const int mode = ChooseDctMode(samples);
        block.dctMode = mode;
        ForwardDctFine(samples, mode, kFineFractionBits, transformed);
        const uint8_t* scan = mode == 0 ? kScanOrder88 : kScanOrder248;
        uint16_t* m = magnitudes[b];
        CoefficientWord* words = block.coefficients;
        m[0] = 0;
        words[0] = 0;
        for (int k = 1; k < 64; ++k) {
            const int32_t value = transformed[scan[k]];
            m[k] = static_cast<uint16_t>(value < 0 ? -value : value);
            words[k] = value < 0 ? kSignBit : 0;
        }
        // The DC from floor((S + 1) / 4), S the sample sum, in units of 8 and rounded to the
        // nearest (TransformMacroblock's offset of 3 rounds a little low): -256 to 254.
        int32_t sum = 0;
        for (int i = 0; i < 64; ++i) sum += samples[i];
        block.dc = ((((sum + 1) >> 2) + 4) >> 3) - 256;
    }
}

}  // namespace encdv
