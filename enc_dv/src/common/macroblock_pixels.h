#ifndef ENC_DV_COMMON_MACROBLOCK_PIXELS_H
#define ENC_DV_COMMON_MACROBLOCK_PIXELS_H

#include <cstdint>

namespace encdv {

// Block order inside a macroblock, shared by the reader, the working records and the stream.
enum BlockIndex : int { kBlockY0 = 0, kBlockY1, kBlockY2, kBlockY3, kBlockCr, kBlockCb };
constexpr int kBlocksPerMacroblock = 6;

// One macroblock of 8-bit samples: six 8x8 blocks (Y0, Y1, Y2, Y3, Cr, Cb), rows top down.
struct alignas(16) MacroblockPixels {
    uint8_t blocks[kBlocksPerMacroblock][64];
};
static_assert(sizeof(MacroblockPixels) == 384, "MacroblockPixels is 384 bytes");

}  // namespace encdv

#endif
