#include "input/source_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "common/constants.h"
#include "common/video_mode.h"
#include "input/reader_411.h"
#include "input/reader_420.h"
#include "input/reader_planar.h"
#include "input/row_kernels.h"
#include "platform/memory.h"

namespace encdv {

namespace {

// A 720x486 picture is encoded from its lines 2 to 481.
constexpr int kCroppedHeight = 486;
constexpr int kCropTop = 2;
constexpr int kCroppedLines = 480;

// Stores the geometry; false when the frame would make the reader go outside the picture.
// Lines closer together than the 720 pixels read from each would overlap, so the picture
// the caller describes would be shorter than what is read.
bool SetGeometry(SourceReader* reader, const uint8_t* source, int pitch, int width, int height) {
    if (source == nullptr || width < kLineWidth) return false;
    const std::int64_t lineBytes = std::int64_t{kLineWidth} * reader->bytesPerPixel;
    if (pitch < lineBytes && -std::int64_t{pitch} < lineBytes) return false;
    if (width == kLineWidth && height == kCroppedHeight) {
        source += kCropTop * static_cast<std::ptrdiff_t>(pitch);
        height = kCroppedLines;
    }
    if (height < LinesReadInMode(reader->videoMode)) return false;
    reader->source = source;
    reader->pitch = pitch;
    reader->width = width;
    reader->height = height;
    return true;
}

int OpenDirect(SourceReader* reader, const uint8_t* source, int pitch, int width, int height) {
    return SetGeometry(reader, source, pitch, width, height) ? kOpenOk : kOpenBadGeometry;
}

// The frame block buffer covers exactly the bands that ReadMacroblock reads in the mode,
// however tall the picture is.
int OpenFrameBuffered(SourceReader* reader, const uint8_t* source, int pitch, int width,
                      int height) {
    if (!SetGeometry(reader, source, pitch, width, height)) return kOpenBadGeometry;
    if (reader->frameBlockAllocation != nullptr) {  // opened twice: drop the first buffer
        platform::FreeMemory(reader->frameBlockAllocation);
        reader->frameBlockAllocation = nullptr;
    }
    reader->bandCount = LinesReadInMode(reader->videoMode) / 8;
    reader->frameBlockAllocation =
        platform::AllocateMemory(static_cast<std::size_t>(reader->bandCount) * kBandBytes + 15);
    if (reader->frameBlockAllocation == nullptr) return kOpenOutOfMemory;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(reader->frameBlockAllocation);
    reader->frameBlocks = reinterpret_cast<uint8_t*>((start + 15) & ~std::uintptr_t{15});
    return kOpenOk;
}

void ReleaseReader(SourceReader* reader) {
    if (reader->frameBlockAllocation != nullptr) platform::FreeMemory(reader->frameBlockAllocation);
    platform::FreeMemory(reader);
}

void InitialiseContext(KernelContext* context, const RowKernelSet& kernels) {
    context->rowTo422 = kernels.rowTo422;
    context->stripTo422 = kernels.stripTo422;
    context->rowTo444 = kernels.rowTo444;
    context->pixelCount = 16;
    context->bytesPerPixel = kernels.bytesPerPixel;
    if (kernels.constants != nullptr) {
        static_assert(sizeof context->conversionConstants == sizeof kernels.constants->rows,
                      "constant blocks have the same shape");
        std::memcpy(context->conversionConstants, kernels.constants->rows,
                    sizeof context->conversionConstants);
    }
}

}  // namespace

int LinesReadInMode(int videoMode) {
    return (videoMode & 0xFF) == MODE_525_411 ? 480 : 576;
}

void PrepareWholeFrame(SourceReader* reader) {
    for (int band = 0; band < reader->bandCount; ++band) reader->PrepareBand(reader, 0, band);
}

SourceReader* CreateSourceReader(ReaderVariant variant, int threadCount, int videoMode) {
    if (variant < 0 || variant >= kReaderVariantCount) return nullptr;
    if (threadCount < 1 || threadCount > kMaxThreads) return nullptr;
    const int mode = videoMode & 0xFF;
    if (mode != MODE_625_420 && mode != MODE_625_411 && mode != MODE_525_411) return nullptr;

    // One zeroed block: the reader, its context pointers, then the 16-byte-aligned contexts.
    const std::size_t pointersOffset = sizeof(SourceReader);
    const std::size_t contextsOffset = pointersOffset + threadCount * sizeof(KernelContext*);
    const std::size_t bytes =
        contextsOffset + alignof(KernelContext) - 1 + threadCount * sizeof(KernelContext);
    uint8_t* const block = static_cast<uint8_t*>(platform::AllocateZeroedMemory(bytes));
    if (block == nullptr) return nullptr;

    SourceReader* const reader = new (block) SourceReader{};
    reader->contexts = reinterpret_cast<KernelContext**>(block + pointersOffset);
    const std::uintptr_t contextsStart =
        (reinterpret_cast<std::uintptr_t>(block + contextsOffset) + alignof(KernelContext) - 1) &
        ~std::uintptr_t{alignof(KernelContext) - 1};
    const bool planar = IsPlanarVariant(variant);
    for (int i = 0; i < threadCount; ++i) {
        KernelContext* const context =
            new (reinterpret_cast<void*>(contextsStart + i * sizeof(KernelContext)))
                KernelContext{};
        if (!planar) InitialiseContext(context, RowKernelsFor(variant));
        reader->contexts[i] = context;
    }
    reader->threadCount = threadCount;
    reader->videoMode = mode;
    reader->bytesPerPixel = planar ? 1 : reader->contexts[0]->bytesPerPixel;
    reader->Release = ReleaseReader;
    if (planar) {
        InstallPlanarReader(reader, variant, mode);
    } else if (mode == MODE_625_420) {
        reader->Open = OpenDirect;
        reader->ReadMacroblock = ReadMacroblock420For(variant);
        reader->PrefetchMacroblock = PrefetchMacroblock420;
    } else {
        reader->Open = OpenFrameBuffered;
        reader->PrepareBand = PrepareBand411;
        reader->ReadMacroblock = ReadMacroblock411;
        reader->PrefetchMacroblock = PrefetchMacroblock411;
    }
    return reader;
}

}  // namespace encdv
