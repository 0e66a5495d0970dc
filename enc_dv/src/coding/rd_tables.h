#ifndef ENC_DV_CODING_RD_TABLES_H
#define ENC_DV_CODING_RD_TABLES_H

#include <cstdint>

namespace encdv {

// Weight of a squared coefficient error at each scan position (0-63; position 0 unused) of
// the 8-8 (row 0) and 2-4-8 (row 1) DCT: 32 x 4 / (w(h) w(v))^2, with v = 2u in the 2-4-8
// DCT. The coefficients carry the DV weighting w(h) w(v) / 2 of an orthonormal DCT, so this
// turns their squared error into squared error of the picture, times 32.
extern const int16_t DistortionWeight[2][64];

// Lagrange multipliers of the rate-distortion search on a ladder of eighth octaves: index
// 0-255 gives 2^(index / 8) in units of 1/65536, as an integer.
constexpr int kLambdaSteps = 256;
uint64_t LambdaAt(int index);

}  // namespace encdv

#endif
