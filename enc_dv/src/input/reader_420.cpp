#include "input/reader_420.h"

#include <cstddef>

#include "input/input_kernels.h"
#include "platform/prefetch.h"

namespace encdv {

namespace {

// The packed 4:2:2 layouts need no conversion, only reordering: one kernel reads their whole
// macroblock.
template <int kOrder>  // 0 = YUY2, 1 = UYVY
void ReadMacroblock420Packed(SourceReader* reader, int, int x, int y,
                             MacroblockPixels* destination) {
    const std::ptrdiff_t pitch = reader->pitch;
    const uint8_t* line = reader->source + static_cast<std::ptrdiff_t>(y) * pitch + 2 * x;
    GetInputKernels().reader.readPacked420[kOrder](line, pitch, destination);
}

}  // namespace

void PrefetchMacroblock420(const SourceReader* reader, int x, int y) {
    const std::ptrdiff_t pitch = reader->pitch;
    const std::ptrdiff_t bytes = 16 * reader->bytesPerPixel;  // 32 to 64: one or two cache lines
    const uint8_t* line = reader->source + static_cast<std::ptrdiff_t>(y) * pitch +
                          static_cast<std::ptrdiff_t>(x) * reader->bytesPerPixel;
    for (int j = 0; j < 16; ++j, line += pitch) {
        platform::PrefetchForRead(line);
        platform::PrefetchForRead(line + bytes - 1);
    }
}

ReadMacroblockFunction ReadMacroblock420For(ReaderVariant variant) {
    if (variant == kVariantYUY2) return ReadMacroblock420Packed<0>;
    if (variant == kVariantUYVY) return ReadMacroblock420Packed<1>;
    return ReadMacroblock420;
}

void ReadMacroblock420(SourceReader* reader, int threadIndex, int x, int y,
                       MacroblockPixels* destination) {
    KernelContext* const context = reader->contexts[threadIndex];
    const RowKernel stripTo422 = context->stripTo422;
    const StoreGroup420Kernel storeGroup = GetInputKernels().reader.storeGroup420;
    const std::ptrdiff_t pitch = reader->pitch;
    const uint8_t* line = reader->source + static_cast<std::ptrdiff_t>(y) * pitch +
                          static_cast<std::ptrdiff_t>(x) * reader->bytesPerPixel;
    for (int group = 0; group < 4; ++group) {
        context->lumaDestination = context->scratchLuma;
        context->cbDestination = context->scratchCb;
        context->crDestination = context->scratchCr;
        for (int j = 0; j < 4; ++j) {
            context->source = line;
            stripTo422(context);
            line += pitch;
            context->lumaDestination += 16;
            context->cbDestination += 8;
            context->crDestination += 8;
        }
        storeGroup(context, group, destination);
    }
}

}  // namespace encdv
