#ifndef ENC_DV_TRANSFORM_FORWARD_DCT_H
#define ENC_DV_TRANSFORM_FORWARD_DCT_H

#include <cstdint>

#include "common/macroblock_work.h"
#include "transform/transform_tables.h"

namespace encdv {

// The flowgraph constants, each as eight equal 16-bit lanes for one aligned load.
struct alignas(16) DctVectorConstants {
    int16_t tan2[8];     // 27146: tan(2 pi/16) with shift 1
    int16_t cos4[8];     // 23170: cos(4 pi/16) with shift 2
    int16_t sin2x2[8];   // 25080: 2 sin(2 pi/16) with shift 2
    int16_t secant2[8];  // 17734: 1/cos(2 pi/16) with shift 3
    int16_t one[8];      // rounding term of the flowgraph multiply
};

// Fills the 16-byte-aligned block of flowgraph constants. Called once by InitDVEnc.
void InitDctVectorConstants();

// The block filled by InitDctVectorConstants (read-only afterwards; reached through
// GetDctVectorConstants, inline so that a kernel loads it directly).
extern DctVectorConstants dctVectorConstants;

inline const DctVectorConstants& GetDctVectorConstants() {
    return dctVectorConstants;
}

// A forward DCT of one 8x8 block of 8-bit samples (16-byte aligned, rows top down), weighted
// and rounded through `table` into 64 sign-magnitude words T (16-byte aligned), with
// T[0] = floor((S + 1) / 4) for the sample sum S.
//
// 8-8 DCT: T[8h + v] holds horizontal frequency h, vertical frequency v.
// 2-4-8 DCT: the sums (d = 0) and differences (d = 1) of the line pairs (2z, 2z + 1) are
// transformed separately; T[8h + 2u + d] holds horizontal frequency h, vertical frequency u
// of half d.
using ForwardDctKernel = void (*)(CoefficientWord* T, const uint8_t* samples,
                                  const OutputScaleTable& table);

// The forward DCTs of two blocks at once, as two ForwardDctKernel calls: samples0 into T0
// through table0, samples1 into T1 through table1. Entry [m0][m1] of a table transforms
// samples0 in DCT mode m0 and samples1 in m1 (each table the one of its block's mode).
using ForwardDctPairKernel = void (*)(CoefficientWord* T0, CoefficientWord* T1,
                                      const uint8_t* samples0, const uint8_t* samples1,
                                      const OutputScaleTable& table0,
                                      const OutputScaleTable& table1);

// Portable kernels, in plain integers: the reference every vector version equals bit for bit.
void ForwardDct88_C(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table);
void ForwardDct248_C(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table);

}  // namespace encdv

#endif
