#include "transform/macroblock_transform.h"

#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace encdv {

int ChooseDctMode(const uint8_t* samples) {
    return DctModeFromDifference(GetTransformKernels().fieldDifference(samples));
}

void ScanCoefficients88(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    const CoefficientWord word0 = coefficients[0];
    GetTransformKernels().scanAndMeasure[0](coefficients, transformed);
    coefficients[0] = word0;
}

void ScanCoefficients248(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    const CoefficientWord word0 = coefficients[0];
    GetTransformKernels().scanAndMeasure[1](coefficients, transformed);
    coefficients[0] = word0;
}

uint32_t MeasureAc(const CoefficientWord* coefficients) {
    return GetTransformKernels().measureAc(coefficients);
}

void TransformMacroblock(MacroblockWork& work, const MacroblockPixels& pixels) {
    alignas(64) CoefficientWord transformed[2][64];
    const TransformKernels& kernels = GetTransformKernels();
    const OutputScaleTable* const tables[2] = {&GetOutputScaleTable(0), &GetOutputScaleTable(1)};
    // Two blocks at a time, each in its own DCT mode (vector kernels transform both at once).
    static_assert(kBlocksPerMacroblock % 2 == 0, "blocks go in pairs");
    for (int b = 0; b < kBlocksPerMacroblock; b += 2) {
        int modes[2];
        for (int i = 0; i < 2; ++i) {
            modes[i] = DctModeFromDifference(kernels.fieldDifference(pixels.blocks[b + i]));
        }
        kernels.forwardDctPair[modes[0]][modes[1]](transformed[0], transformed[1], pixels.blocks[b],
                                                   pixels.blocks[b + 1], *tables[modes[0]],
                                                   *tables[modes[1]]);
        for (int i = 0; i < 2; ++i) {
            BlockWork& block = work.blocks[b + i];
            block.dctMode = modes[i];
            const uint32_t activity =
                kernels.scanAndMeasure[modes[i]](block.coefficients, transformed[i]);
            // T[0] = floor((S + 1) / 4) <= 4080; the 9-bit DC field takes it in units of 8,
            // offset by 256, with a rounding offset of 3.
            block.dc = ((static_cast<int16_t>(transformed[i][0]) + 3) >> 3) - 256;
            block.sumAc = static_cast<int32_t>(activity >> 16);
            block.maxAc = static_cast<int32_t>(activity & 0xFFFF);
        }
    }
}

}  // namespace encdv
