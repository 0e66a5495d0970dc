// The quantizer's kernel table, chosen once by the processor's features, and the step down
// of one QNO.
#include "coding/quantizer.h"

#include "platform/cpu_features.h"

namespace encdv {

namespace {

QuantizerKernels PortableKernels() {
    QuantizerKernels kernels;
    InitQuantizerKernels(0, kernels);
    return kernels;
}

// The library's table: the portable kernels from the library's load until
// SelectQuantizerKernels.
QuantizerKernels selectedKernels = PortableKernels();

}  // namespace

void InitQuantizerKernels(uint32_t features, QuantizerKernels& kernels) {
    SetQuantizerKernels_C(kernels);
#if ENC_DV_SSE2_KERNELS
    if (features & kFeatureSse2) SetQuantizerKernels_SSE2(kernels);
#endif
#if ENC_DV_NEON_KERNELS
    if (features & kFeatureNeon) SetQuantizerKernels_NEON(kernels);
#endif
    static_cast<void>(features);
}

void SelectQuantizerKernels(uint32_t features) {
    InitQuantizerKernels(features, selectedKernels);
}

const QuantizerKernels& GetQuantizerKernels() {
    return selectedKernels;
}

void ApplyQuantPattern(int pattern, CoefficientWord* block) {
    selectedKernels.quantize[pattern](block);
}

void StepDownArea(CoefficientWord* block, int classNumber, int oldQno, int newQno) {
    const QuantizerKernels& kernels = selectedKernels;
    for (int area = 0; area < kAreaCount; ++area) {
        if (AreaShift[area][classNumber][newQno] != AreaShift[area][classNumber][oldQno]) {
            kernels.shiftArea[area](block);
        }
    }
}

}  // namespace encdv
