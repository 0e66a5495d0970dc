#ifndef ENC_DV_INPUT_ROW_KERNELS_H
#define ENC_DV_INPUT_ROW_KERNELS_H

#include <cstdint>

#include "input/conversion_constants.h"
#include "input/source_reader.h"

namespace encdv {

// The kernels of one layout (an absent kind is null) and what its contexts are set up with.
struct RowKernelSet {
    RowKernel rowTo422;
    RowKernel stripTo422;
    RowKernel rowTo444;
    int32_t bytesPerPixel;
    const ConversionConstants* constants;  // null for the 4:2:2 layouts
};

// SSE2 kernels. StripTo422 converts 16 pixels into 16 Y, 8 Cb and 8 Cr samples (chroma of
// each pixel pair); RowTo444 and RowTo422 convert pixelCount pixels (a multiple of 16).
// None of them moves the context's pointers.
const RowKernelSet& RowKernelsFor(ReaderVariant variant);

}  // namespace encdv

#endif
