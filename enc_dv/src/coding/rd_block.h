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
// coefficient rounded to the nearest multiple of its step (RoundedAmplitude). The rates are
// estimates, EstimatedCodeBits summed over the coded coefficients, with the end-of-block code:
// each area's share depends only on its own step, which makes them cheap to gather; the
// search checks its result against exact code lengths.
struct BlockRd {
    ShiftRounding
        rounding;  // the amplitudes at every shift, which the coefficient choice starts from
    int32_t rate[kQuantPatternCount];         // AC bits with end-of-block, or kInvalidRate
    uint32_t distortion[kQuantPatternCount];  // weighted squared error (DistortionWeight units)
};

// Estimated bits of a coded coefficient of amplitude a (1-255): the length of its code after
// a nonzero neighbour, plus kRunStartBits when the position before it holds a zero (the zero
// run's share of a code, on average; the DC slot counts as nonzero).
constexpr int32_t kRunStartBits = 2;
int32_t EstimatedCodeBits(uint32_t amplitude, bool afterZero);

// Measures a block from its AC magnitudes in scan order (64 words, 16-byte aligned, word 0
// zero) in units of 2^-kRdFractionBits, below 512 units. dctMode picks the weights.
void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd);

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
