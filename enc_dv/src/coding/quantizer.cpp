// The quantizer's kernel table, chosen once by the processor's features, and the step down
// of one QNO.
#include "coding/quantizer.h"

#include "platform/kernel_table.h"

namespace encdv {

void InitQuantizerKernels(uint32_t features, QuantizerKernels& kernels) {
    SetQuantizerKernels_C(kernels);
    if constexpr (kSse2KernelsBuilt) {
        if (features & kFeatureSse2) SetQuantizerKernels_SSE2(kernels);
    }
    if constexpr (kAvx2KernelsBuilt) {
        if (features & kFeatureAvx2) SetQuantizerKernels_AVX2(kernels);
    }
    if constexpr (kNeonKernelsBuilt) {
        if (features & kFeatureNeon) SetQuantizerKernels_NEON(kernels);
    }
}

namespace {

LibraryKernels<QuantizerKernels, InitQuantizerKernels> library;

}  // namespace

void SelectQuantizerKernels(uint32_t features) {
    library.Select(features);
}

const QuantizerKernels& GetQuantizerKernels() {
    return library.Get();
}

void ApplyQuantPattern(int pattern, CoefficientWord* block) {
    library.Get().quantize[pattern](block);
}

void StepDownArea(CoefficientWord* block, int classNumber, int oldQno, int newQno) {
    const QuantizerKernels& kernels = library.Get();
    for (int area = 0; area < kAreaCount; ++area) {
        if (AreaShift[area][classNumber][newQno] != AreaShift[area][classNumber][oldQno]) {
            kernels.shiftArea[area](block);
        }
    }
}

}  // namespace encdv
