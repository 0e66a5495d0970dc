#ifndef ENC_DV_INPUT_READER_KERNELS_TMPL_H
#define ENC_DV_INPUT_READER_KERNELS_TMPL_H

// The part of the vector reader kernels that does not depend on the instruction set: where
// the lines of a macroblock's four groups go. Included by each instruction set's reader
// kernel file and compiled with its flags. Every function here is a template over that
// file's primitives V (a type in its unnamed namespace), so that no copy is shared with an
// object built with other flags. V provides, with Luma 16 luma bytes in a register and Chroma
// eight Cb or Cr samples of one line:
//   template <bool kLumaFirst> static Luma SplitLine(const uint8_t* line, Chroma* cb, Chroma* cr);
//       16 pixels of a packed 4:2:2 line (SplitPacked422);
//   static Luma LoadLuma16(const uint8_t* samples);  16-byte aligned
//   static void StoreLumaHalves(uint8_t* left, uint8_t* right, Luma luma);
//       the first eight bytes to `left`, the last eight to `right`;
//   static void StoreFieldAverages(uint8_t* rows, const Chroma lines[4]);
//       16 bytes (16-byte aligned): the rounded averages of lines 0 and 2, then of 1 and 3;
//   static void AverageFields(const uint8_t* scratch, uint8_t* rows);
//       the same from four 8-byte lines of scratch, 16 bytes apart.

#include <cstddef>

#include "input/reader_kernels.h"

namespace encdv {

namespace reader_kernels_tmpl {

// The packed 4:2:2 layouts need no conversion, only reordering, so their macroblock is read
// in registers without the row kernel: the same bytes as the generic path, without its
// round trips through the context.
template <typename V, bool kLumaFirst>
void ReadPacked420(const uint8_t* line, std::ptrdiff_t pitch, MacroblockPixels* destination) {
    for (int group = 0; group < 4; ++group) {
        uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
        uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
        typename V::Chroma cb[4], cr[4];
        for (int j = 0; j < 4; ++j, line += pitch) {
            const int row = 4 * (group & 1) + j;
            V::StoreLumaHalves(left + 8 * row, right + 8 * row,
                               V::template SplitLine<kLumaFirst>(line, &cb[j], &cr[j]));
        }
        // Chroma rows 2G and 2G+1: lines 0 and 2 of the group are one field, 1 and 3 the other.
        V::StoreFieldAverages(destination->blocks[kBlockCb] + 16 * group, cb);
        V::StoreFieldAverages(destination->blocks[kBlockCr] + 16 * group, cr);
    }
}

template <typename V>
void StoreGroup420(const KernelContext* context, int group, MacroblockPixels* destination) {
    // Lines 0-7 fill Y0 and Y1, lines 8-15 fill Y2 and Y3.
    uint8_t* const left = destination->blocks[group < 2 ? kBlockY0 : kBlockY2];
    uint8_t* const right = destination->blocks[group < 2 ? kBlockY1 : kBlockY3];
    for (int j = 0; j < 4; ++j) {
        const int row = 4 * (group & 1) + j;
        V::StoreLumaHalves(left + 8 * row, right + 8 * row,
                           V::LoadLuma16(context->scratchLuma + 16 * j));
    }
    V::AverageFields(context->scratchCb, destination->blocks[kBlockCb] + 16 * group);
    V::AverageFields(context->scratchCr, destination->blocks[kBlockCr] + 16 * group);
}

}  // namespace reader_kernels_tmpl

// Fills `kernels` with V's reader kernels.
template <typename V>
void SetReaderKernels(ReaderKernels& kernels) {
    kernels.readPacked420[0] = reader_kernels_tmpl::ReadPacked420<V, true>;
    kernels.readPacked420[1] = reader_kernels_tmpl::ReadPacked420<V, false>;
    kernels.storeGroup420 = reader_kernels_tmpl::StoreGroup420<V>;
}

}  // namespace encdv

#endif
