#include "input/row_kernels.h"

#include "input/input_kernels.h"

namespace encdv {

namespace {

struct Layout {
    int32_t bytesPerPixel;
    const ConversionConstants* constants;
};

// Indexed by ReaderVariant.
const Layout kLayouts[kReaderVariantCount] = {
    {2, nullptr},
    {2, nullptr},
    {4, &kVuyaConstants},
    {4, &kVuyaConstants},
    {3, &kFullRangeConstants},
    {4, &kFullRangeConstants},
    {4, &kFullRangeConstants},
    {3, &kStudioRangeConstants},
    {4, &kStudioRangeConstants},
    {4, &kStudioRangeConstants},
};

}  // namespace

RowKernelSet RowKernelsFor(ReaderVariant variant) {
    const RowKernels& kernels = GetInputKernels().rows[variant];
    const Layout& layout = kLayouts[variant];
    return {kernels.rowTo422, kernels.stripTo422, kernels.rowTo444, layout.bytesPerPixel,
            layout.constants};
}

}  // namespace encdv
