// The reader kernels in NEON.
#include <arm_neon.h>

#include "input/packed_422_neon.h"
#include "input/reader_kernels.h"

namespace encdv {

namespace {

// The packed 4:2:2 layouts need no conversion, only reordering, so their macroblock is read
// in registers without the row kernel.
template <bool kLumaFirst>
void ReadPacked420(const uint8_t* line, std::ptrdiff_t pitch, MacroblockPixels* destination) {
    for (int group = 0; group < 4; ++group) {
        uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
        uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
        uint8x8_t cb[4], cr[4];
        for (int j = 0; j < 4; ++j, line += pitch) {
            const uint8x16_t luma = SplitPacked422<kLumaFirst>(line, &cb[j], &cr[j]);
            const int row = 4 * (group & 1) + j;
            vst1_u8(left + 8 * row, vget_low_u8(luma));
            vst1_u8(right + 8 * row, vget_high_u8(luma));
        }
        // Chroma rows 2G and 2G+1: lines 0 and 2 of the group are one field, 1 and 3 the other.
        vst1q_u8(destination->blocks[kBlockCb] + 16 * group,
                 vcombine_u8(vrhadd_u8(cb[0], cb[2]), vrhadd_u8(cb[1], cb[3])));
        vst1q_u8(destination->blocks[kBlockCr] + 16 * group,
                 vcombine_u8(vrhadd_u8(cr[0], cr[2]), vrhadd_u8(cr[1], cr[3])));
    }
}

// Chroma rows 2G and 2G+1 from the four converted lines of group G: each row is the rounded
// average of its field's pair of lines.
inline void FieldAverage(const uint8_t* scratch, uint8_t* block, int group) {
    vst1_u8(block + 16 * group, vrhadd_u8(vld1_u8(scratch), vld1_u8(scratch + 16)));
    vst1_u8(block + 16 * group + 8, vrhadd_u8(vld1_u8(scratch + 8), vld1_u8(scratch + 24)));
}

void StoreGroup420(const KernelContext* context, int group, MacroblockPixels* destination) {
    // Lines 0-7 fill Y0 and Y1, lines 8-15 fill Y2 and Y3.
    uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
    uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
    for (int j = 0; j < 4; ++j) {
        const int row = 4 * (group & 1) + j;
        const uint8x16_t luma = vld1q_u8(context->scratchLuma + 16 * j);
        vst1_u8(left + 8 * row, vget_low_u8(luma));
        vst1_u8(right + 8 * row, vget_high_u8(luma));
    }
    FieldAverage(context->scratchCb, destination->blocks[kBlockCb], group);
    FieldAverage(context->scratchCr, destination->blocks[kBlockCr], group);
}

}  // namespace

void SetReaderKernels_NEON(ReaderKernels& kernels) {
    kernels.readPacked420[0] = ReadPacked420<true>;
    kernels.readPacked420[1] = ReadPacked420<false>;
    kernels.storeGroup420 = StoreGroup420;
}

}  // namespace encdv
