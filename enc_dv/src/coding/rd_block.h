#ifndef ENC_DV_CODING_RD_BLOCK_H
#define ENC_DV_CODING_RD_BLOCK_H

#include <cstdint>

#include "coding/quant_tables.h"
#include "coding/quantizer.h"
#include "common/fine_coefficients.h"

namespace encdv {

// Bits below the coefficient unit in the magnitudes the rate-distortion search reads.
constexpr int kRdFractionBits = kFineFractionBits;
// Rate of a pattern that cannot carry the block (an amplitude above 255 at step 1).
constexpr int32_t kInvalidRate = 0x7FFF;

// Rate and distortion of one block under each of the thirteen step patterns, every
// coefficient rounded to the nearest multiple of its step (RoundedAmplitude). Each area's bits
// are counted once per step, every code from the coded position before it at that step, and
// summed per pattern: exact where the areas before share the step or are empty, otherwise off
// by the run of each later area's first code. The search checks its result with exact lengths.
struct BlockRd {
    ShiftRounding
        rounding;  // the amplitudes at every shift, which the coefficient choice starts from
    int32_t rate[kQuantPatternCount];         // AC bits with end-of-block, or kInvalidRate
    uint32_t distortion[kQuantPatternCount];  // weighted squared error (DistortionWeight units)
};

// Measures a block from its AC magnitudes in scan order (64 words, 16-byte aligned, word 0
// zero) in units of 2^-kRdFractionBits, below 512 units. dctMode picks the weights.
void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd);

// The sum over a block's AC magnitudes (as for MeasureBlockRd) of the bit lengths of their
// whole-coefficient parts, plus one for each that is not zero: a rough guess of the block's code
// size, enough to tell which of two DCT modes codes a block better where they differ clearly, at a
// tenth of measuring both.
int32_t WholeCoefficientBits(const uint16_t* magnitudes);

// Added before a right shift by t bits to round to the nearest step, a tie downwards: a
// tie costs the same error either way, and the smaller amplitude takes fewer bits.
constexpr int RoundingOffset(int t) {
    return t > 0 ? (1 << (t - 1)) - 1 : 0;
}

// Amplitude of magnitude m (in units of 2^-kRdFractionBits) at a step of 2^shift, rounded to
// the nearest and capped at 255.
inline uint32_t RoundedAmplitude(uint32_t m, int shift) {
    const int t = shift + kRdFractionBits;
    const uint32_t a = (m + static_cast<uint32_t>(RoundingOffset(t))) >> t;
    return a < 255 ? a : 255;
}

}  // namespace encdv

#endif
