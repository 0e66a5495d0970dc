#ifndef ENC_DV_CODING_BLOCK_CODER_H
#define ENC_DV_CODING_BLOCK_CODER_H

#include <cstdint>

#include "common/constants.h"
#include "common/macroblock_work.h"

namespace encdv {

// A partly written bit string.
struct BitCursor {
    uint32_t pendingCount;  // bits waiting in pendingBits, 0-8
    uint32_t pendingBits;   // those bits left-aligned (first at bit 31), lower bits zero
    uint8_t* position;      // byte where the first pending bit belongs
    // With room: free bits after the pending bits up to the end of the area.
    // Overflowing: bits still to be placed, pending bits included.
    int32_t bitCount;
};

// Longest code of one block: header, 63 escape-coded amplitudes and the end-of-block.
constexpr int kMaxBlockCodeBits = kBlockHeaderBits + 63 * 16 + 4;

// Writes the block's header (9-bit DC, DCT mode, class) and the run/amplitude codes of the
// positions in nonzeroList (ascending, 0-terminated) followed by the end-of-block code,
// starting at cursor.position, which is the start of the block's area. Returns the bits
// written; leaves cursor.position at the byte holding the 1-8 pending bits (already stored
// there with zero low bits). Writes at most kMaxBlockCodeBits / 8 bytes.
int CodeBlock(const BlockWork& block, const uint8_t* nonzeroList, BitCursor& cursor);

// Writes the block's code at store as CodeBlock does at the start of an area, followed by up
// to eight zero bytes, and returns its bits. store holds kMaxBlockCodeBits / 8 + 8 bytes.
int CodeBlockToStore(const BlockWork& block, const uint8_t* nonzeroList, uint8_t* store);

}  // namespace encdv

#endif
