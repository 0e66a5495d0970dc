// The transform's kernel table, chosen once by the processor's features.
#include "transform/transform_kernels.h"

#include "platform/kernel_table.h"

namespace encdv {

void InitTransformKernels(uint32_t features, TransformKernels& kernels) {
    SetForwardDctKernels_C(kernels);
    SetScanKernels_C(kernels);
    SetForwardDctFineKernels_C(kernels);
    if constexpr (kSse2KernelsBuilt) {
        if (features & kFeatureSse2) {
            SetForwardDctKernels_SSE2(kernels);
            SetScanKernels_SSE2(kernels);
            SetForwardDctFineKernels_SSE2(kernels);
        }
    }
    if constexpr (kAvx2KernelsBuilt) {
        if (features & kFeatureAvx2) {
            SetForwardDctKernels_AVX2(kernels);
            SetForwardDctFineKernels_AVX2(kernels);
        }
    }
    if constexpr (kNeonKernelsBuilt) {
        if (features & kFeatureNeon) {
            SetForwardDctKernels_NEON(kernels);
            SetScanKernels_NEON(kernels);
            SetForwardDctFineKernels_NEON(kernels);
        }
    }
}

namespace {

LibraryKernels<TransformKernels, InitTransformKernels> library;

}  // namespace

void SelectTransformKernels(uint32_t features) {
    library.Select(features);
}

const TransformKernels& GetTransformKernels() {
    return library.Get();
}

}  // namespace encdv
