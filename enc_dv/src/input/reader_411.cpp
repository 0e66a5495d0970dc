#include "input/reader_411.h"

#include <cstddef>
#include <cstring>

#include "common/constants.h"
#include "input/input_kernels.h"
#include "platform/prefetch.h"

namespace encdv {

namespace {

constexpr int kRightEdgeX = 704;
// Record 22 copies 32 luma columns from 704 on, 16 past the line.
constexpr int kLumaLineBytes = kLineWidth + 16;
// Chroma lines keep room for the filters' reads before sample 0 and past the extension.
constexpr int kChromaLead = 16;
constexpr int kChromaLineBytes = kChromaLead + kLineWidth + 32;

// The samples before sample 0 repeat it, and those after the last repeat the last: three on
// each side for full resolution, three before and two after for half resolution.
void ExtendChromaLine(uint8_t* samples, int count, int after) {
    std::memset(samples - 3, samples[0], 3);
    std::memset(samples + count, samples[count - 1], after);
}

}  // namespace

void PrepareBand411(SourceReader* reader, int threadIndex, int band) {
    KernelContext* const context = reader->contexts[threadIndex];
    alignas(16) uint8_t lumaLine[kLumaLineBytes];
    alignas(16) uint8_t cbLine[kChromaLineBytes];
    alignas(16) uint8_t crLine[kChromaLineBytes];
    // Bytes past the converted samples feed only outputs that are never read; keep them defined.
    std::memset(lumaLine, 0, sizeof lumaLine);
    std::memset(cbLine, 0, sizeof cbLine);
    std::memset(crLine, 0, sizeof crLine);
    uint8_t* const cb = cbLine + kChromaLead;
    uint8_t* const cr = crLine + kChromaLead;

    const bool fullResolution = context->rowTo444 != nullptr;
    const InputKernels& kernels = GetInputKernels();
    const ChromaFilterKernel filter =
        fullResolution ? kernels.chromaFilters.filter4to1 : kernels.chromaFilters.filter2to1;
    const int chromaStep = fullResolution ? 32 : 16;
    const RowKernel convertRow = fullResolution ? context->rowTo444 : context->rowTo422;
    const int chromaCount = fullResolution ? kLineWidth : kLineWidth / 2;
    const int extensionAfter = fullResolution ? 3 : 2;
    context->pixelCount = kLineWidth;
    context->lumaDestination = lumaLine;
    context->cbDestination = cb;
    context->crDestination = cr;

    uint8_t* const bandBase = reader->frameBlocks + static_cast<std::ptrdiff_t>(band) * kBandBytes;
    for (int row = 0; row < 8; ++row) {
        context->source =
            reader->source + (8 * band + row) * static_cast<std::ptrdiff_t>(reader->pitch);
        convertRow(context);
        ExtendChromaLine(cb, chromaCount, extensionAfter);
        ExtendChromaLine(cr, chromaCount, extensionAfter);
        for (int m = 0; m < kRecordsPerBand; ++m) {
            uint8_t* const line = bandBase + m * kRecordBytes + row * kRecordLineBytes;
            std::memcpy(line, lumaLine + 32 * m, 32);
            filter(cb + chromaStep * m, line + 32);
            filter(cr + chromaStep * m, line + 40);
        }
    }
}

namespace {

void PrefetchRecord(const uint8_t* record) {
    for (int i = 0; i < kRecordBytes; i += 64) platform::PrefetchForRead(record + i);
    platform::PrefetchForRead(record + kRecordBytes - 1);
}

}  // namespace

void PrefetchMacroblock411(const SourceReader* reader, int x, int y) {
    const uint8_t* const band =
        reader->frameBlocks + static_cast<std::ptrdiff_t>(y / 8) * kBandBytes;
    if (x < kRightEdgeX) {
        PrefetchRecord(band + (x / 32) * kRecordBytes);
        return;
    }
    const uint8_t* const top = band + (kRecordsPerBand - 1) * kRecordBytes;
    PrefetchRecord(top);
    PrefetchRecord(top + kBandBytes);
}

void ReadMacroblock411(SourceReader* reader, int, int x, int y, MacroblockPixels* destination) {
    const uint8_t* const band =
        reader->frameBlocks + static_cast<std::ptrdiff_t>(y / 8) * kBandBytes;
    auto& out = destination->blocks;
    if (x < kRightEdgeX) {
        const uint8_t* const record = band + (x / 32) * kRecordBytes;
        for (int row = 0; row < 8; ++row) {
            const uint8_t* const line = record + row * kRecordLineBytes;
            std::memcpy(out[kBlockY0] + 8 * row, line, 8);
            std::memcpy(out[kBlockY1] + 8 * row, line + 8, 8);
            std::memcpy(out[kBlockY2] + 8 * row, line + 16, 8);
            std::memcpy(out[kBlockY3] + 8 * row, line + 24, 8);
            std::memcpy(out[kBlockCb] + 8 * row, line + 32, 8);
            std::memcpy(out[kBlockCr] + 8 * row, line + 40, 8);
        }
        return;
    }
    // The 16x16 right-edge macroblock: the upper band's chroma goes to columns 0-3 of each
    // chroma row, the lower band's to columns 4-7.
    const uint8_t* const top = band + (kRecordsPerBand - 1) * kRecordBytes;
    const uint8_t* const bottom = top + kBandBytes;
    for (int row = 0; row < 8; ++row) {
        const uint8_t* const upper = top + row * kRecordLineBytes;
        const uint8_t* const lower = bottom + row * kRecordLineBytes;
        std::memcpy(out[kBlockY0] + 8 * row, upper, 8);
        std::memcpy(out[kBlockY1] + 8 * row, upper + 8, 8);
        std::memcpy(out[kBlockY2] + 8 * row, lower, 8);
        std::memcpy(out[kBlockY3] + 8 * row, lower + 8, 8);
        std::memcpy(out[kBlockCb] + 8 * row, upper + 32, 4);
        std::memcpy(out[kBlockCb] + 8 * row + 4, lower + 32, 4);
        std::memcpy(out[kBlockCr] + 8 * row, upper + 40, 4);
        std::memcpy(out[kBlockCr] + 8 * row + 4, lower + 40, 4);
    }
}

}  // namespace encdv
