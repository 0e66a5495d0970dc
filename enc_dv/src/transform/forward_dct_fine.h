#ifndef ENC_DV_TRANSFORM_FORWARD_DCT_FINE_H
#define ENC_DV_TRANSFORM_FORWARD_DCT_FINE_H

#include <cstdint>

namespace encdv {

// The two forward DCTs of the best-quality mode, in plain integers and far more exactly than
// the 16-bit flowgraph: orthonormal DCT bases with 15 fraction bits, 64-bit sums, and the DV
// weighting applied last. out[i] (i = 8h + v for the 8-8 DCT, 8h + 2u + d for the 2-4-8 DCT,
// as in ForwardDct88 and ForwardDct248) receives the weighted coefficient in units of
// 2^-fractionBits, rounded to the nearest; out[0] is not written.
void ForwardDctFine(const uint8_t* samples, int dctMode, int fractionBits, int32_t* out);

}  // namespace encdv

#endif
