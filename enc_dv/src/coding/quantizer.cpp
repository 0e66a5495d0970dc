// The quantizer's kernel table, chosen once by the processor's features, and the step down
// of one QNO.
#include "coding/quantizer.h"

#include "platform/cpu_features.h"

namespace encdv {

namespace {

// The library's table, holding the portable kernels until SelectQuantizerKernels (built on first
// use, so that no static initialisation order matters).
QuantizerKernels& SelectedKernels() {
    static QuantizerKernels kernels = [] {
        QuantizerKernels portable;
        InitQuantizerKernels(0, portable);
        return portable;
    }();
    return kernels;
}

}  // namespace

void InitQuantizerKernels(uint32_t features, QuantizerKernels& kernels) {
    SetQuantizerKernels_C(kernels);
#if ENC_DV_SSE2_KERNELS
    if (features & kFeatureSse2) SetQuantizerKernels_SSE2(kernels);
#else
    static_cast<void>(features);
#endif
}

void SelectQuantizerKernels(uint32_t features) {
    InitQuantizerKernels(features, SelectedKernels());
}

const QuantizerKernels& GetQuantizerKernels() {
    return SelectedKernels();
}

void ApplyQuantPattern(int pattern, CoefficientWord* block) {
    SelectedKernels().quantize[pattern](block);
}

void StepDownArea(CoefficientWord* block, int classNumber, int oldQno, int newQno) {
    const QuantizerKernels& kernels = SelectedKernels();
    for (int area = 0; area < kAreaCount; ++area) {
        if (AreaShift[area][classNumber][newQno] != AreaShift[area][classNumber][oldQno]) {
            kernels.shiftArea[area](block);
        }
    }
}

}  // namespace encdv
