#ifndef ENC_DV_TRANSFORM_FORWARD_DCT_FINE_H
#define ENC_DV_TRANSFORM_FORWARD_DCT_FINE_H

#include <cstdint>

#include "common/macroblock_work.h"

namespace encdv {

// The weighted DCTs of the best-quality mode, eight times finer than the coefficient words:
// each AC coefficient is rounded to 2^-kFineFractionBits (1/8) of a unit.
//
// The arithmetic, which every kernel follows to the bit, uses 16-bit operands and 32-bit sums
// only. With the samples level-shifted by 128 (which changes the DC alone):
// - Vertical pass, per column: the 8-8 DCT by the even/odd symmetry of its bases (the 2-4-8
//   DCT from the sums and differences of its line pairs). The rows whose bases are all equal
//   in magnitude (v = 0, 4; 2-4-8: u = 0, 2) are kept exactly as 16 x the integer sum; the
//   others are sums of kFineVerticalBasis products rounded to 2^-5, within 16384 in magnitude.
// - Horizontal pass, per row v: the sums and differences of columns c and 7 - c, then four
//   products with kFineHorizontal, which holds the horizontal basis, the DV weighting
//   w(h) w(v) / 2 (2-4-8: w(h) w(2u) / 2) and the row's vertical scale, in units of 2^-22;
//   the sum plus 2^18, shifted right by 19, is the coefficient in eighths.
// Output (0, 0), the DC, is left out (its sum may not fit 32 bits); the kernels return the
// sample sum instead.

// The roundings of the two passes: the vertical pass's products (2^-16) to rows in 2^-5, the
// horizontal pass's sums (2^-22) to eighths.
inline constexpr int kFineVerticalShift = 11;
inline constexpr int kFineHorizontalShift = 19;

// round(2^16 cos(n pi / 16) / 2), n = 1..7: the magnitudes of the vertical bases (entry 0 is
// unused: the rows of equal-magnitude bases are exact).
inline constexpr int16_t kFineVerticalBasis[8] = {0,     32138, 30274, 27246,
                                                  23170, 18205, 12540, 6393};

// The horizontal pass's multipliers by DCT mode, horizontal frequency h, pair p and row v:
// [mode][h][p][2v + i] multiplies the sum (even h) or difference (odd h) of columns j and
// 7 - j, j = 2p + i, of row v. Laid out so that one aligned load gives a pair for four rows.
alignas(16) extern const int16_t kFineHorizontal[2][8][2][16];

// Writes the magnitudes of the 63 AC coefficients of one 8x8 block of samples (16-byte
// aligned) in one DCT mode, in units of 1/8 and scan order, into magnitudes[1..63] and their
// signs into signWords[1..63] (kSignBit when negative, else 0); word 0 of both is 0. Returns
// the sum of the 64 samples. Neither output needs alignment.
using ForwardDctFineKernel = int (*)(const uint8_t* samples, uint16_t* magnitudes,
                                     CoefficientWord* signWords);

// The same magnitudes, with the signs returned as bits instead (bit k set: scan position k is
// negative; bit 0 clear).
using ForwardDctFineSignsKernel = uint64_t (*)(const uint8_t* samples, uint16_t* magnitudes);

// Portable kernels: the reference every vector version equals bit for bit.
int ForwardDctFine88_C(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords);
int ForwardDctFine248_C(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords);
uint64_t ForwardDctFineSigns88_C(const uint8_t* samples, uint16_t* magnitudes);
uint64_t ForwardDctFineSigns248_C(const uint8_t* samples, uint16_t* magnitudes);

}  // namespace encdv

#endif
