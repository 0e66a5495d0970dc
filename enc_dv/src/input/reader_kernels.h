#ifndef ENC_DV_INPUT_READER_KERNELS_H
#define ENC_DV_INPUT_READER_KERNELS_H

#include <cstddef>
#include <cstdint>

#include "common/macroblock_pixels.h"
#include "input/source_reader.h"

namespace encdv {

// Reads the 16x16 macroblock of a packed 4:2:2 picture whose top left pixel is at `line`
// (lines `pitch` bytes apart) as the direct 4:2:0 reader does: the luma samples as they are,
// chroma row 2G + j (j = 0, 1) the rounded average of lines 4G + j and 4G + j + 2, which
// belong to one field.
using ReadPacked420Kernel = void (*)(const uint8_t* line, std::ptrdiff_t pitch,
                                     MacroblockPixels* destination);

// Group G (0-3) of the direct 4:2:0 reader, from four lines of StripTo422 output in the
// context's scratch: lines 0-3 go to rows 4 (G & 1) + j of the left and right luma blocks
// (Y0 and Y1 for G < 2, Y2 and Y3 after), and chroma rows 2G and 2G + 1 are the rounded
// averages of scratch lines 0 and 2, and 1 and 3.
using StoreGroup420Kernel = void (*)(const KernelContext* context, int group,
                                     MacroblockPixels* destination);

// The reader kernels.
struct ReaderKernels {
    ReadPacked420Kernel readPacked420[2];  // YUY2 order (luma first), UYVY order
    StoreGroup420Kernel storeGroup420;
};

// The kernels of one instruction set: the portable ones (the reference every vector version
// equals bit for bit), the SSE2 and AVX2 ones (x86 builds with vector kernels only; AVX2 the
// packed 4:2:0 reads) and the NEON ones (AArch64 builds with vector kernels only).
void SetReaderKernels_C(ReaderKernels& kernels);
void SetReaderKernels_SSE2(ReaderKernels& kernels);
void SetReaderKernels_AVX2(ReaderKernels& kernels);
void SetReaderKernels_NEON(ReaderKernels& kernels);

}  // namespace encdv

#endif
