// The row kernels and layout a reader's contexts are set up with.
#include "input/row_kernels.h"

#include "input/input_kernels.h"

namespace encdv {

RowKernelSet RowKernelsFor(ReaderVariant variant) {
    const RowKernels& kernels = GetInputKernels().rows[variant];
    const RowLayout& layout = kRowLayouts[variant];
    return {kernels.rowTo422, kernels.stripTo422, kernels.rowTo444, layout.bytesPerPixel,
            layout.constants};
}

}  // namespace encdv
