// The best-quality search's kernel table, chosen once by the processor's features.
#include "coding/rd_kernels.h"

#include "platform/kernel_table.h"

namespace encdv {

void InitRdKernels(uint32_t features, RdKernels& kernels) {
    SetRdKernels_C(kernels);
    if constexpr (kAvx2KernelsBuilt) {
        if (features & kFeatureAvx2) SetRdKernels_AVX2(kernels);
    }
}

namespace {

LibraryKernels<RdKernels, InitRdKernels> library;

}  // namespace

void SelectRdKernels(uint32_t features) {
    library.Select(features);
}

const RdKernels& GetRdKernels() {
    return library.Get();
}

}  // namespace encdv
