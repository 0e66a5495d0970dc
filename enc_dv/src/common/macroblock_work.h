#ifndef ENC_DV_COMMON_MACROBLOCK_WORK_H
#define ENC_DV_COMMON_MACROBLOCK_WORK_H

#include <cstdint>

#include "common/macroblock_pixels.h"

namespace encdv {

// Coefficient word: sign-magnitude, bit 15 the sign, magnitude in the low 11 bits
// (after quantization only bit 15 and the low 8 bits count).
using CoefficientWord = uint16_t;
constexpr CoefficientWord kSignBit = 0x8000;

// Room for the longest code of one block (1024 bits: header, 63 escape-coded amplitudes,
// end-of-block) and 16 bytes more, so that it can be moved in whole 16-byte chunks.
constexpr int kBlockCodeBytes = 1024 / 8 + 16;

// Results of one 8x8 block, filled by the transform and the quantization selection.
struct BlockWork {
    int32_t dc;                     // DC value, -256 .. 254
    int32_t dctMode;                // 0 = 8-8 DCT, 1 = 2-4-8 DCT
    int32_t classNumber;            // 0 .. 3
    int32_t codeBits;               // exact bits of the AC codes plus end-of-block
    int32_t maxAc;                  // largest AC magnitude of the unquantized block
    int32_t sumAc;                  // sum of AC magnitudes modulo 65536
    CoefficientWord* coefficients;  // 64 words in scan order, 16-byte aligned
};

// Working record of one macroblock of a video segment; five per encoding thread.
struct MacroblockWork {
    uint8_t nonzeroList[kBlocksPerMacroblock][64];  // ascending positions 1-63, 0-terminated
    BlockWork blocks[kBlocksPerMacroblock];
    alignas(16) uint8_t coefficientArea[kBlocksPerMacroblock * 64 * 2 + 16];
    CoefficientWord* coefficientStore;  // first 16-byte-aligned address of coefficientArea
    int32_t targetBits;                 // bit target plus 24
    int32_t pixelX;
    int32_t pixelY;
    int32_t qno;  // 0 .. 15
    int32_t sta;  // status nibble, always 0
    int32_t totalBits;
    int32_t blockCount;  // always 6
    // Per block, its whole code (header, AC codes, end-of-block: codeBits + 12 bits) as the
    // segment coder writes it at the start of the block's area, stored when the exact length
    // was counted; valid for the blocks whose bit (1 << b) is set in codedBlocks.
    alignas(16) uint8_t blockCode[kBlocksPerMacroblock][kBlockCodeBytes];
    uint32_t codedBlocks;
};

// Points the coefficient store and block pointers into the record's own area and marks no
// block code stored (done once).
void PrepareMacroblockWork(MacroblockWork& work);

}  // namespace encdv

#endif
