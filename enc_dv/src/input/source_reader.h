#ifndef ENC_DV_INPUT_SOURCE_READER_H
#define ENC_DV_INPUT_SOURCE_READER_H

#include <cstdint>

#include "api/pixel_format.h"
#include "input/macroblock_pixels.h"

namespace encdv {

struct KernelContext;

// A row conversion kernel; reads its source, destinations and constants from the context.
using RowKernel = void (*)(KernelContext* context);

// Per-thread state of the row kernels; 16-byte aligned, zeroed at construction.
struct alignas(16) KernelContext {
    uint8_t* lumaDestination;
    uint8_t* cbDestination;
    uint8_t* crDestination;
    const uint8_t* source;
    RowKernel rowTo422;
    RowKernel stripTo422;
    RowKernel rowTo444;
    int32_t pixelCount;     // pixels per row-kernel call: 16, or 720 for whole lines
    int32_t bytesPerPixel;  // 2, 3 or 4
    alignas(16) int16_t conversionConstants[15][8];
    alignas(16) uint8_t scratchLuma[4 * 16];  // a quarter macroblock of StripTo422 output
    alignas(16) uint8_t scratchCb[4 * 8];
    alignas(16) uint8_t scratchCr[4 * 8];
};

// The encoder's view of the host's frame, one per frame: a record of four operations
// chosen by the reader variant's constructor, plus geometry.
struct SourceReader {
    // 0 on success, non-zero when the frame cannot be read (memory, geometry).
    int (*Open)(SourceReader* reader, const uint8_t* source, int pitch, int width, int height);
    void (*ReadMacroblock)(SourceReader* reader, int threadIndex, int x, int y,
                           MacroblockPixels* destination);
    void (*PrepareFrame)(SourceReader* reader);
    void (*Release)(SourceReader* reader);

    int32_t threadCount;
    int32_t pitch;
    int32_t width;
    int32_t height;
    int32_t bytesPerPixel;
    int32_t videoMode;
    const uint8_t* source;          // first line used, after the 486-line crop
    void* frameBlockAllocation;     // 4:1:1 modes: raw allocation, freed by Release
    uint8_t* frameBlocks;           // 4:1:1 modes: its 16-byte-aligned start
    KernelContext** contexts;       // one per thread
};

// Builds the reader variant for the code and DVENC_FLAG_ALPHA_WEIGHT in flags, for
// threadCount threads (1-16) and the video mode (0, 2 or 3). Null when the code has no
// reader or memory is short.
SourceReader* CreateSourceReader(PixelFormatCode code, uint32_t flags, int threadCount,
                                 int videoMode);

}  // namespace encdv

#endif
