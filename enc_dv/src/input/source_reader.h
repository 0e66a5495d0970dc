#ifndef ENC_DV_INPUT_SOURCE_READER_H
#define ENC_DV_INPUT_SOURCE_READER_H

#include <cstdint>

#include "common/macroblock_pixels.h"
#include "common/reader_variant.h"

namespace encdv {

struct KernelContext;

// A row conversion kernel; reads its source, destinations and constants from the context.
using RowKernel = void (*)(KernelContext* context);

// Per-thread state of the row kernels, zeroed at construction. Each starts on its own 64-byte
// cache line, so that threads writing their contexts never share a line.
struct alignas(64) KernelContext {
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
    // 0 on success, non-zero when the frame cannot be read (memory, geometry): see OpenStatus.
    int (*Open)(SourceReader* reader, const uint8_t* source, int pitch, int width, int height);
    void (*ReadMacroblock)(SourceReader* reader, int threadIndex, int x, int y,
                           MacroblockPixels* destination);
    // Converts band `band` (0 to bandCount - 1, eight lines) of what the reader converts ahead
    // for the whole frame, with thread threadIndex's context. Every band must be converted
    // before any macroblock is read; bands may be converted in any order, each once, by
    // different threads at the same time. Null when bandCount is 0.
    void (*PrepareBand)(SourceReader* reader, int threadIndex, int band);
    void (*Release)(SourceReader* reader);
    // Asks the processor to start loading the bytes that ReadMacroblock will read for the
    // macroblock at (x, y), so that a loop can fetch the next macroblock while it works on
    // this one; reads and writes nothing. Null when a reader has nothing to fetch ahead.
    void (*PrefetchMacroblock)(const SourceReader* reader, int x, int y);

    int32_t threadCount;
    int32_t pitch;
    int32_t width;
    int32_t height;
    int32_t bytesPerPixel;
    int32_t videoMode;
    const uint8_t* source;       // first line used, after the 486-line crop
    void* frameBlockAllocation;  // 4:1:1 modes: raw allocation, freed by Release
    uint8_t* frameBlocks;        // 4:1:1 modes: its 16-byte-aligned start
    KernelContext** contexts;    // one per thread
    int32_t bandCount;           // bands for PrepareBand (4:1:1 modes: of the frame block
                                 // buffer), 0 where nothing is converted ahead

    // Planar layouts: source is the luma plane from the first line used, and these are its
    // whole chroma planes (chromaLines lines chromaPitch bytes apart); chromaFirstLine is the
    // plane line of the first picture line used (2 after the 486-line crop, else 0).
    const uint8_t* cbPlane;
    const uint8_t* crPlane;
    int32_t chromaPitch;
    int32_t chromaLines;
    int32_t chromaFirstLine;
};

// Results of SourceReader::Open.
enum OpenStatus : int {
    kOpenOk = 0,
    kOpenOutOfMemory = 1,  // the 4:1:1 frame block buffer could not be allocated
    // A null source, a width below 720, a pitch whose magnitude is below 720 pixels, or
    // fewer lines (after the 486-line crop) than the video mode reads: 480 for 525/60, 576
    // for 625/50. Nothing of the picture is read.
    kOpenBadGeometry = 2,
};

// Lines of the picture that a reader in the video mode reads, from the first line used.
int LinesReadInMode(int videoMode);

// Converts every band of an opened reader on thread 0's context (for a frame read by one
// thread).
void PrepareWholeFrame(SourceReader* reader);

// Builds the reader variant for threadCount threads (1-16) and the video mode (0, 2 or 3).
// Null for another variant, count or mode, or when memory is short. The planar variants read
// their planes directly (input/reader_planar.h).
SourceReader* CreateSourceReader(ReaderVariant variant, int threadCount, int videoMode);

}  // namespace encdv

#endif
