#ifndef ENC_DV_CODING_QUANTIZER_H
#define ENC_DV_CODING_QUANTIZER_H

#include "coding/quant_tables.h"
#include "common/macroblock_work.h"

namespace encdv {

// Quantizes a 16-byte-aligned block of 64 sign-magnitude words in place with one step
// pattern: every word is shifted right arithmetically by its area's count, position 0 with
// area 0. Afterwards the low 8 bits of a word are its amplitude and bit 15 its sign.
using QuantizeBlockFunction = void (*)(CoefficientWord* block);

// The thirteen quantizer operations, indexed by step pattern (QuantPatternIndex).
extern const QuantizeBlockFunction ApplyQuantPattern[kQuantPatternCount];

// Re-quantizes a block quantized for oldQno (class classNumber) for newQno = oldQno - 1:
// every area whose shift count grows is shifted right by one more bit.
void StepDownArea(CoefficientWord* block, int classNumber, int oldQno, int newQno);

}  // namespace encdv

#endif
