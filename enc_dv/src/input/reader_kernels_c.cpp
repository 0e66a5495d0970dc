// The reader kernels in plain C++: the reference for the vector versions.
#include <cstring>

#include "input/reader_kernels.h"

namespace encdv {

namespace {

uint8_t Average(int a, int b) {
    return static_cast<uint8_t>((a + b + 1) >> 1);
}

template <bool kLumaFirst>
void ReadPacked420(const uint8_t* line, std::ptrdiff_t pitch, MacroblockPixels* destination) {
    // Byte offsets within a pixel pair: YUY2 Y0 Cb Y1 Cr, UYVY Cb Y0 Cr Y1.
    const int lumaOffset = kLumaFirst ? 0 : 1;
    const int cbOffset = kLumaFirst ? 1 : 0;
    const int crOffset = kLumaFirst ? 3 : 2;
    for (int group = 0; group < 4; ++group) {
        uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
        uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
        const uint8_t* lines[4];
        for (int j = 0; j < 4; ++j, line += pitch) {
            lines[j] = line;
            const int row = 4 * (group & 1) + j;
            for (int i = 0; i < 8; ++i) {
                left[8 * row + i] = line[2 * i + lumaOffset];
                right[8 * row + i] = line[2 * (i + 8) + lumaOffset];
            }
        }
        for (int j = 0; j < 2; ++j) {
            uint8_t* const cb = destination->blocks[kBlockCb] + 16 * group + 8 * j;
            uint8_t* const cr = destination->blocks[kBlockCr] + 16 * group + 8 * j;
            for (int i = 0; i < 8; ++i) {
                cb[i] = Average(lines[j][4 * i + cbOffset], lines[j + 2][4 * i + cbOffset]);
                cr[i] = Average(lines[j][4 * i + crOffset], lines[j + 2][4 * i + crOffset]);
            }
        }
    }
}

void StoreGroup420(const KernelContext* context, int group, MacroblockPixels* destination) {
    uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
    uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
    for (int j = 0; j < 4; ++j) {
        const int row = 4 * (group & 1) + j;
        std::memcpy(left + 8 * row, context->scratchLuma + 16 * j, 8);
        std::memcpy(right + 8 * row, context->scratchLuma + 16 * j + 8, 8);
    }
    uint8_t* const cb = destination->blocks[kBlockCb] + 16 * group;
    uint8_t* const cr = destination->blocks[kBlockCr] + 16 * group;
    for (int i = 0; i < 16; ++i) {
        cb[i] = Average(context->scratchCb[i], context->scratchCb[i + 16]);
        cr[i] = Average(context->scratchCr[i], context->scratchCr[i + 16]);
    }
}

}  // namespace

void SetReaderKernels_C(ReaderKernels& kernels) {
    kernels.readPacked420[0] = ReadPacked420<true>;
    kernels.readPacked420[1] = ReadPacked420<false>;
    kernels.storeGroup420 = StoreGroup420;
}

}  // namespace encdv
