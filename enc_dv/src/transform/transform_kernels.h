#ifndef ENC_DV_TRANSFORM_TRANSFORM_KERNELS_H
#define ENC_DV_TRANSFORM_TRANSFORM_KERNELS_H

#include <cstdint>

#include "transform/forward_dct.h"
#include "transform/forward_dct_fine.h"
#include "transform/scan.h"

namespace encdv {

// The kernels of the macroblock transform; the pairs are indexed by dctMode (0 = 8-8,
// 1 = 2-4-8).
struct TransformKernels {
    ForwardDctKernel forwardDct[2];
    ForwardDctPairKernel forwardDctPair[2][2];  // by the two blocks' DCT modes
    ScanKernel scanAndMeasure[2];
    FieldDifferenceKernel fieldDifference;
    MeasureAcKernel measureAc;
    // The best-quality mode's transform: signs as coefficient words (the block's own DCT
    // mode) or as bits (the other mode).
    ForwardDctFineKernel forwardDctFine[2];
    ForwardDctFineSignsKernel forwardDctFineSigns[2];
};

// The kernels of one instruction set, one setter for each kernel file: the portable ones (the
// reference every vector version equals bit for bit), the SSE2 and AVX2 ones (x86 builds with
// vector kernels only; the AVX2 setters replace the entries where width pays) and the NEON
// ones (AArch64 builds with vector kernels only).
void SetForwardDctKernels_C(TransformKernels& kernels);
void SetForwardDctKernels_SSE2(TransformKernels& kernels);
void SetForwardDctKernels_AVX2(TransformKernels& kernels);
void SetForwardDctKernels_NEON(TransformKernels& kernels);
void SetScanKernels_C(TransformKernels& kernels);
void SetScanKernels_SSE2(TransformKernels& kernels);
void SetScanKernels_NEON(TransformKernels& kernels);
void SetForwardDctFineKernels_C(TransformKernels& kernels);
void SetForwardDctFineKernels_SSE2(TransformKernels& kernels);
void SetForwardDctFineKernels_AVX2(TransformKernels& kernels);
void SetForwardDctFineKernels_NEON(TransformKernels& kernels);

// Fills `kernels` for a processor with the feature bits (FeatureWord): the portable kernels,
// then the vector kernels that this build contains and the features allow. Features 0 give
// the portable kernels alone.
void InitTransformKernels(uint32_t features, TransformKernels& kernels);

// Fills the library's table once, from InitDVEnc; until then it holds the portable kernels.
void SelectTransformKernels(uint32_t features);

// The library's table.
const TransformKernels& GetTransformKernels();

}  // namespace encdv

#endif
