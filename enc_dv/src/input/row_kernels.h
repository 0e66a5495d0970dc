#ifndef ENC_DV_INPUT_ROW_KERNELS_H
#define ENC_DV_INPUT_ROW_KERNELS_H

#include <cstdint>

#include "input/conversion_constants.h"
#include "input/source_reader.h"

namespace encdv {

// How the row kernels take a layout's pixels apart.
enum class PixelLayout : uint8_t {
    kPacked422,  // luma of each pixel, Cb and Cr of each pair, reordered
    kVuya,       // Cr Cb Y A per pixel, taken as they are
    kBgr,        // B G R (A) per pixel, through the colour matrix
};

// A source layout as the row kernels see it.
struct RowLayout {
    PixelLayout pixels;
    bool lumaFirst;  // kPacked422: YUY2 order Y0 Cb Y1 Cr, else UYVY order Cb Y0 Cr Y1
    int32_t bytesPerPixel;
    bool studioRange;    // kBgr: studio-range samples (R24C, R32C), else full range
    bool alphaWeighted;  // kVuya, kBgr: colours weighted by the alpha byte
    const ConversionConstants* constants;  // null for the 4:2:2 layouts
};

// Every packed layout, indexed by ReaderVariant: the one statement of it that every
// instruction set's row kernels and the readers' set-up follow. (The planar layouts are read
// without row kernels.)
inline constexpr RowLayout kRowLayouts[kPackedVariantCount] = {
    {PixelLayout::kPacked422, true, 2, false, false, nullptr},           // YUY2
    {PixelLayout::kPacked422, false, 2, false, false, nullptr},          // UYVY
    {PixelLayout::kVuya, false, 4, false, false, &kVuyaConstants},       // VUYA
    {PixelLayout::kVuya, false, 4, false, true, &kVuyaConstants},        // VUYA, alpha
    {PixelLayout::kBgr, false, 3, false, false, &kFullRangeConstants},   // BGR3
    {PixelLayout::kBgr, false, 4, false, false, &kFullRangeConstants},   // BGR4
    {PixelLayout::kBgr, false, 4, false, true, &kFullRangeConstants},    // BGRA, alpha
    {PixelLayout::kBgr, false, 3, true, false, &kStudioRangeConstants},  // R24C
    {PixelLayout::kBgr, false, 4, true, false, &kStudioRangeConstants},  // R32C
    {PixelLayout::kBgr, false, 4, true, true, &kStudioRangeConstants},   // R32C, alpha
};

// The row kernels of one layout (an absent kind is null). StripTo422 converts 16 pixels into
// 16 Y, 8 Cb and 8 Cr samples (chroma of each pixel pair); RowTo444 and RowTo422 convert
// pixelCount pixels (a multiple of 16). They read the colour constants from the context and
// none of them moves the context's pointers.
struct RowKernels {
    RowKernel rowTo422;
    RowKernel stripTo422;
    RowKernel rowTo444;
};

// The row kernels of every packed layout, indexed by ReaderVariant.
using RowKernelTable = RowKernels[kPackedVariantCount];

// The kernels of one instruction set: the portable ones (the reference every vector version
// equals bit for bit), the SSE2 and AVX2 ones (x86 builds with vector kernels only) and the
// NEON ones (AArch64 builds with vector kernels only).
void SetRowKernels_C(RowKernelTable& kernels);
void SetRowKernels_SSE2(RowKernelTable& kernels);
void SetRowKernels_AVX2(RowKernelTable& kernels);
void SetRowKernels_NEON(RowKernelTable& kernels);

// What the contexts of a packed layout are set up with: its kernels from the library's table,
// and its pixel size and colour constants.
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
