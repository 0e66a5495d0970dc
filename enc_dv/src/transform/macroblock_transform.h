#ifndef ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_H
#define ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_H

#include <cstdint>

#include "common/macroblock_pixels.h"
#include "common/macroblock_work.h"

namespace encdv {

// Fills dctMode, the coefficient block, dc, maxAc and sumAc of all six blocks; touches no other
// field. The output scale tables and flowgraph constants must have been built. Runs the
// kernels of GetTransformKernels.
void TransformMacroblock(MacroblockWork& work, const MacroblockPixels& pixels);

// Field-difference sum at or above which a block is coded with the 2-4-8 DCT.
constexpr int kMotionThreshold = 1200;

// The DCT mode of a block from its field difference: 1 (2-4-8) at kMotionThreshold or more,
// otherwise 0 (8-8).
constexpr int DctModeFromDifference(int fieldDifference) {
    return fieldDifference >= kMotionThreshold ? 1 : 0;
}

// Motion test between the two fields of one 8x8 block (16-byte aligned): the mode of
// DctModeFromDifference for the sum of |line 2z - line 2z+1| over all four line pairs and
// eight columns.
int ChooseDctMode(const uint8_t* samples);

// Copy words 1-63 of a coefficient block (16-byte aligned) from the 64 transform outputs in
// the scan order of the mode, unchanged. Word 0 is not written.
void ScanCoefficients88(CoefficientWord* coefficients, const CoefficientWord* transformed);
void ScanCoefficients248(CoefficientWord* coefficients, const CoefficientWord* transformed);

// AC activity of a coefficient block (16-byte aligned), from the low 11 bits of words 1-63:
// the sum modulo 65536 in the high 16 bits, the largest magnitude in the low 16 bits.
uint32_t MeasureAc(const CoefficientWord* coefficients);

}  // namespace encdv

#endif
