// The readers' kernel table, chosen once by the processor's features.
#include "input/input_kernels.h"

#include "platform/cpu_features.h"

namespace encdv {

namespace {

InputKernels PortableKernels() {
    InputKernels kernels;
    InitInputKernels(0, kernels);
    return kernels;
}

// The library's table: the portable kernels from the library's load until
// SelectInputKernels.
InputKernels selectedKernels = PortableKernels();

}  // namespace

void InitInputKernels(uint32_t features, InputKernels& kernels) {
    SetRowKernels_C(kernels.rows);
    kernels.chromaFilter4to1 = ChromaFilter4to1_C;
    kernels.chromaFilter2to1 = ChromaFilter2to1_C;
    SetReaderKernels_C(kernels.reader);
    SetPlanarChromaKernels_C(kernels.planarChroma);
#if ENC_DV_SSE2_KERNELS
    if (features & kFeatureSse2) {
        SetRowKernels_SSE2(kernels.rows);
        kernels.chromaFilter4to1 = ChromaFilter4to1_SSE2;
        kernels.chromaFilter2to1 = ChromaFilter2to1_SSE2;
        SetReaderKernels_SSE2(kernels.reader);
        SetPlanarChromaKernels_SSE2(kernels.planarChroma);
    }
#endif
#if ENC_DV_NEON_KERNELS
    if (features & kFeatureNeon) {
        SetRowKernels_NEON(kernels.rows);
        kernels.chromaFilter4to1 = ChromaFilter4to1_NEON;
        kernels.chromaFilter2to1 = ChromaFilter2to1_NEON;
        SetReaderKernels_NEON(kernels.reader);
        SetPlanarChromaKernels_NEON(kernels.planarChroma);
    }
#endif
    static_cast<void>(features);
}

void SelectInputKernels(uint32_t features) {
    InitInputKernels(features, selectedKernels);
}

const InputKernels& GetInputKernels() {
    return selectedKernels;
}

}  // namespace encdv
