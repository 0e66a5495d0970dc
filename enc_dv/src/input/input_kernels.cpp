// The readers' kernel table, chosen once by the processor's features.
#include "input/input_kernels.h"

#include "platform/cpu_features.h"

namespace encdv {

namespace {

// The library's table, holding the portable kernels until SelectInputKernels (built on first use,
// so that no static initialisation order matters).
InputKernels& SelectedKernels() {
    static InputKernels kernels = [] {
        InputKernels portable;
        InitInputKernels(0, portable);
        return portable;
    }();
    return kernels;
}

}  // namespace

void InitInputKernels(uint32_t features, InputKernels& kernels) {
    SetRowKernels_C(kernels.rows);
    kernels.chromaFilter4to1 = ChromaFilter4to1_C;
    kernels.chromaFilter2to1 = ChromaFilter2to1_C;
    SetReaderKernels_C(kernels.reader);
#if ENC_DV_SSE2_KERNELS
    if (features & kFeatureSse2) {
        SetRowKernels_SSE2(kernels.rows);
        kernels.chromaFilter4to1 = ChromaFilter4to1_SSE2;
        kernels.chromaFilter2to1 = ChromaFilter2to1_SSE2;
        SetReaderKernels_SSE2(kernels.reader);
    }
#else
    static_cast<void>(features);
#endif
}

void SelectInputKernels(uint32_t features) {
    InitInputKernels(features, SelectedKernels());
}

const InputKernels& GetInputKernels() {
    return SelectedKernels();
}

}  // namespace encdv
