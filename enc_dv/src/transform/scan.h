#ifndef ENC_DV_TRANSFORM_SCAN_H
#define ENC_DV_TRANSFORM_SCAN_H

#include <cstdint>

#include "common/macroblock_work.h"

namespace encdv {

// Field difference of one 8x8 block (16-byte aligned): the sum of |line 2z - line 2z + 1|
// over the four line pairs and eight columns.
using FieldDifferenceKernel = int (*)(const uint8_t* samples);

// Writes all 64 words of a coefficient block (16-byte aligned) from the 64 transform outputs
// (16-byte aligned) in the scan order of one DCT mode, word 0 = 0, and returns the block's AC
// activity as a MeasureAcKernel does.
using ScanKernel = uint32_t (*)(CoefficientWord* coefficients, const CoefficientWord* transformed);

// AC activity of a coefficient block (16-byte aligned), from the low 11 bits of words 1-63:
// the sum modulo 65536 in the high 16 bits, the largest magnitude in the low 16 bits.
using MeasureAcKernel = uint32_t (*)(const CoefficientWord* coefficients);

// Portable kernels: the reference every vector version equals bit for bit.
int FieldDifference_C(const uint8_t* samples);
uint32_t ScanAndMeasure88_C(CoefficientWord* coefficients, const CoefficientWord* transformed);
uint32_t ScanAndMeasure248_C(CoefficientWord* coefficients, const CoefficientWord* transformed);
uint32_t MeasureAc_C(const CoefficientWord* coefficients);

}  // namespace encdv

#endif
