#ifndef ENC_DV_TRANSFORM_MACROBLOCK_WORK_H
#define ENC_DV_TRANSFORM_MACROBLOCK_WORK_H

#include <cstdint>

#include "input/macroblock_pixels.h"

namespace encdv {

// Coefficient word: sign-magnitude, bit 15 the sign, magnitude in the low 11 bits
// (after quantization only bit 15 and the low 8 bits count).
using CoefficientWord = uint16_t;
constexpr CoefficientWord kSignBit = 0x8000;

// Results of one 8x8 block, filled by the transform and the quantization selection.
struct BlockWork {
    int32_t dc;           // DC value, -256 .. 254
    int32_t dctMode;      // 0 = 8-8 DCT, 1 = 2-4-8 DCT
    int32_t classNumber;  // 0 .. 3
    int32_t codeBits;     // exact bits of the AC codes plus end-of-block
    int32_t maxAc;        // largest AC magnitude of the unquantized block
    int32_t sumAc;        // sum of AC magnitudes modulo 65536
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
};

// Points the coefficient store and block pointers into the record's own area (done once).
void PrepareMacroblockWork(MacroblockWork& work);

}  // namespace encdv

#endif
