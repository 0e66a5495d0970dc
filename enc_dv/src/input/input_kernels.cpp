// The readers' kernel table, chosen once by the processor's features.
#include "input/input_kernels.h"

#include "platform/kernel_table.h"

namespace encdv {

void InitInputKernels(uint32_t features, InputKernels& kernels) {
    SetRowKernels_C(kernels.rows);
    SetChromaFilterKernels_C(kernels.chromaFilters);
    SetReaderKernels_C(kernels.reader);
    SetPlanarChromaKernels_C(kernels.planarChroma);
    if constexpr (kSse2KernelsBuilt) {
        if (features & kFeatureSse2) {
            SetRowKernels_SSE2(kernels.rows);
            SetChromaFilterKernels_SSE2(kernels.chromaFilters);
            SetReaderKernels_SSE2(kernels.reader);
            SetPlanarChromaKernels_SSE2(kernels.planarChroma);
        }
    }
    if constexpr (kAvx2KernelsBuilt) {
        if (features & kFeatureAvx2) {
            SetRowKernels_AVX2(kernels.rows);
            SetReaderKernels_AVX2(kernels.reader);
        }
    }
    if constexpr (kNeonKernelsBuilt) {
        if (features & kFeatureNeon) {
            SetRowKernels_NEON(kernels.rows);
            SetChromaFilterKernels_NEON(kernels.chromaFilters);
            SetReaderKernels_NEON(kernels.reader);
            SetPlanarChromaKernels_NEON(kernels.planarChroma);
        }
    }
}

namespace {

LibraryKernels<InputKernels, InitInputKernels> library;

}  // namespace

void SelectInputKernels(uint32_t features) {
    library.Select(features);
}

const InputKernels& GetInputKernels() {
    return library.Get();
}

}  // namespace encdv
