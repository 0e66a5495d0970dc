#ifndef ENC_DV_INPUT_ROW_KERNELS_H
#define ENC_DV_INPUT_ROW_KERNELS_H

#include <cstdint>

#include "input/conversion_constants.h"
#include "input/source_reader.h"

namespace encdv {

// The row kernels of one layout (an absent kind is null). StripTo422 converts 16 pixels into
// 16 Y, 8 Cb and 8 Cr samples (chroma of each pixel pair); RowTo444 and RowTo422 convert
// pixelCount pixels (a multiple of 16). They read the colour constants from the context and
// none of them moves the context's pointers.
struct RowKernels {
    RowKernel rowTo422;
    RowKernel stripTo422;
    RowKernel rowTo444;
};

// The row kernels of every layout, indexed by ReaderVariant.
using RowKernelTable = RowKernels[kReaderVariantCount];

// The kernels of one instruction set: the portable ones (the reference every vector version
// equals bit for bit), the SSE2 ones (x86 builds with vector kernels only) and the NEON ones
// (AArch64 builds with vector kernels only).
void SetRowKernels_C(RowKernelTable& kernels);
void SetRowKernels_SSE2(RowKernelTable& kernels);
void SetRowKernels_NEON(RowKernelTable& kernels);

// What the contexts of a layout are set up with: its kernels from the library's table, and
// its pixel size and colour constants.
struct RowKernelSet {
    RowKernel rowTo422;
    RowKernel stripTo422;
    RowKernel rowTo444;
    int32_t bytesPerPixel;
    const ConversionConstants* constants;  // null for the 4:2:2 layouts
};

RowKernelSet RowKernelsFor(ReaderVariant variant);

}  // namespace encdv

#endif
