#ifndef ENC_DV_CODING_QUANTIZER_H
#define ENC_DV_CODING_QUANTIZER_H

#include <cstdint>

#include "coding/quant_tables.h"
#include "common/macroblock_work.h"

namespace encdv {

// Quantizes a 16-byte-aligned block of 64 sign-magnitude words in place with one step
// pattern: every word is shifted right arithmetically by its area's count, position 0 with
// area 0. Afterwards the low 8 bits of a word are its amplitude and bit 15 its sign.
using QuantizeBlockFunction = void (*)(CoefficientWord* block);

// Shifts the words of one area (kAreaStart) of a 16-byte-aligned block right arithmetically by
// one more bit; the other words are unchanged.
using ShiftAreaFunction = void (*)(CoefficientWord* block);

// Bit k set when word k of a 16-byte-aligned block has nonzero low 8 bits (k = 0 .. 63).
using NonzeroMaskFunction = uint64_t (*)(const CoefficientWord* block);

// The quantizer's kernels.
struct QuantizerKernels {
    QuantizeBlockFunction quantize[kQuantPatternCount];  // by step pattern (QuantPatternIndex)
    ShiftAreaFunction shiftArea[kAreaCount];             // by area
    NonzeroMaskFunction nonzeroMask;
};

// Fills `kernels` for a processor with the feature bits (FeatureWord): the portable kernels,
// then the vector kernels that this build contains and the features allow. Features 0 give
// the portable kernels alone.
void InitQuantizerKernels(uint32_t features, QuantizerKernels& kernels);

// Fills the library's table once, from InitDVEnc; until then it holds the portable kernels.
void SelectQuantizerKernels(uint32_t features);

// The library's table.
const QuantizerKernels& GetQuantizerKernels();

// Quantizes a block with step pattern `pattern` through the library's table.
void ApplyQuantPattern(int pattern, CoefficientWord* block);

// Re-quantizes a block quantized for oldQno (class classNumber) for newQno = oldQno - 1:
// every area whose shift count grows is shifted right by one more bit.
void StepDownArea(CoefficientWord* block, int classNumber, int oldQno, int newQno);

// The kernels of one instruction set: the portable ones (the reference every vector version
// equals bit for bit) and the SSE2 ones (x86 builds with vector kernels only).
void SetQuantizerKernels_C(QuantizerKernels& kernels);
void SetQuantizerKernels_SSE2(QuantizerKernels& kernels);

}  // namespace encdv

#endif
