#ifndef ENC_DV_CODING_QUANTIZER_H
#define ENC_DV_CODING_QUANTIZER_H

#include <cstdint>

#include "coding/quant_tables.h"
#include "common/fine_coefficients.h"
#include "common/macroblock_work.h"

namespace encdv {

// Quantizes a 16-byte-aligned block of 64 sign-magnitude words in place with one step
// pattern: every word is shifted right arithmetically by its area's count, position 0 with
// area 0. Afterwards the low 8 bits of a word are its amplitude and bit 15 its sign.
using QuantizeBlockFunction = void (*)(CoefficientWord* block);

// Shifts the words of one area (kAreaStart) of a 16-byte-aligned block right arithmetically by
// one more bit; the other words are unchanged.
using ShiftAreaFunction = void (*)(CoefficientWord* block);

// Writes the ascending positions 1-63 of a 16-byte-aligned block whose word has nonzero low
// 8 bits, then a 0 byte, into the 64-byte list (the bytes after the 0 byte may be
// overwritten with anything).
using NonzeroListFunction = void (*)(const CoefficientWord* block, uint8_t* list);

// A block's AC magnitudes rounded at every shift s (0 to kShiftCount - 1), that is to the
// nearest multiple of 2^t, t = s + kFineFractionBits, a tie downwards.
struct ShiftRounding {
    // min((m + 2^(t - 1) - 1) >> t, 255) by shift and scan position.
    alignas(16) uint8_t amplitudes[kShiftCount][64];
    // By area and shift, the sum of weights[k] x e^2 over the area's positions (the DC slot
    // included), e = m - (amplitude << t), with e^2 kept to its low 16 bits as a signed number:
    // the weighted squared error, exact unless an amplitude is capped at shift 0 (|e| > 181).
    uint32_t distortion[kAreaCount][kShiftCount];
    uint64_t nonzero[kShiftCount];  // bit k set: amplitudes[s][k] is not zero
    uint64_t capped;                // bit k set: the rounding at shift 0 exceeds 255
};

// Rounds a block of 64 AC magnitudes in units of 2^-kFineFractionBits (scan order, 16-byte
// aligned, each below 4096) with 64 weights, for the rate-distortion search.
using RoundAtShiftsFunction = void (*)(const uint16_t* magnitudes, const int16_t* weights,
                                       ShiftRounding& out);

// The bits of each area's codes at each shift of a rounding: every nonzero amplitude of
// amplitudes[s] at positions 1-63 coded at its distance from the nonzero position before it at
// the same shift (from 0 for the first), with the lengths of CoefficientCodeLength (amplitudes
// above 23 as 23, sign bits included); bits[a][s] sums area a's codes.
using AreaBitsFunction = void (*)(const ShiftRounding& rounding, int32_t (*bits)[kShiftCount]);

// The quantizer's kernels.
struct QuantizerKernels {
    QuantizeBlockFunction quantize[kQuantPatternCount];  // by step pattern (QuantPatternIndex)
    ShiftAreaFunction shiftArea[kAreaCount];             // by area
    NonzeroListFunction buildNonzeroList;
    RoundAtShiftsFunction roundAtShifts;
    AreaBitsFunction areaBits;
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
// equals bit for bit), the SSE2 and AVX2 ones (x86 builds with vector kernels only: SSE2 all
// but the area bits, AVX2 over them the rounding and the area bits) and the NEON ones (AArch64
// builds with vector kernels only, all but the area bits).
void SetQuantizerKernels_C(QuantizerKernels& kernels);
void SetQuantizerKernels_SSE2(QuantizerKernels& kernels);
void SetQuantizerKernels_AVX2(QuantizerKernels& kernels);
void SetQuantizerKernels_NEON(QuantizerKernels& kernels);

}  // namespace encdv

#endif
