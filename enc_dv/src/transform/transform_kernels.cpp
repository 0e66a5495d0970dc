// The transform's kernel table, chosen once by the processor's features.
#include "transform/transform_kernels.h"

#include "platform/cpu_features.h"

namespace encdv {

namespace {

TransformKernels PortableKernels() {
    TransformKernels kernels;
    InitTransformKernels(0, kernels);
    return kernels;
}

// The library's table: the portable kernels from the library's load until
// SelectTransformKernels.
TransformKernels selectedKernels = PortableKernels();

}  // namespace

void InitTransformKernels(uint32_t features, TransformKernels& kernels) {
    kernels.forwardDct[0] = ForwardDct88_C;
    kernels.forwardDct[1] = ForwardDct248_C;
    kernels.scanAndMeasure[0] = ScanAndMeasure88_C;
    kernels.scanAndMeasure[1] = ScanAndMeasure248_C;
    kernels.fieldDifference = FieldDifference_C;
    kernels.measureAc = MeasureAc_C;
    kernels.forwardDctFine[0] = ForwardDctFine88_C;
    kernels.forwardDctFine[1] = ForwardDctFine248_C;
    kernels.forwardDctFineSigns[0] = ForwardDctFineSigns88_C;
    kernels.forwardDctFineSigns[1] = ForwardDctFineSigns248_C;
#if ENC_DV_SSE2_KERNELS
    if (features & kFeatureSse2) {
        kernels.forwardDct[0] = ForwardDct88_SSE2;
        kernels.forwardDct[1] = ForwardDct248_SSE2;
        kernels.scanAndMeasure[0] = ScanAndMeasure88_SSE2;
        kernels.scanAndMeasure[1] = ScanAndMeasure248_SSE2;
        kernels.fieldDifference = FieldDifference_SSE2;
        kernels.measureAc = MeasureAc_SSE2;
        kernels.forwardDctFine[0] = ForwardDctFine88_SSE2;
        kernels.forwardDctFine[1] = ForwardDctFine248_SSE2;
        kernels.forwardDctFineSigns[0] = ForwardDctFineSigns88_SSE2;
        kernels.forwardDctFineSigns[1] = ForwardDctFineSigns248_SSE2;
    }
#endif
#if ENC_DV_NEON_KERNELS
    if (features & kFeatureNeon) {
        kernels.forwardDct[0] = ForwardDct88_NEON;
        kernels.forwardDct[1] = ForwardDct248_NEON;
        kernels.scanAndMeasure[0] = ScanAndMeasure88_NEON;
        kernels.scanAndMeasure[1] = ScanAndMeasure248_NEON;
        kernels.fieldDifference = FieldDifference_NEON;
        kernels.measureAc = MeasureAc_NEON;
        kernels.forwardDctFine[0] = ForwardDctFine88_NEON;
        kernels.forwardDctFine[1] = ForwardDctFine248_NEON;
        kernels.forwardDctFineSigns[0] = ForwardDctFineSigns88_NEON;
        kernels.forwardDctFineSigns[1] = ForwardDctFineSigns248_NEON;
    }
#endif
    static_cast<void>(features);
}

void SelectTransformKernels(uint32_t features) {
    InitTransformKernels(features, selectedKernels);
}

const TransformKernels& GetTransformKernels() {
    return selectedKernels;
}

}  // namespace encdv
