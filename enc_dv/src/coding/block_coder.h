#ifndef ENC_DV_CODING_BLOCK_CODER_H
#define ENC_DV_CODING_BLOCK_CODER_H

#include <cstdint>

#include "common/constants.h"
#include "common/macroblock_work.h"

namespace encdv {

// Longest code of one block: header, 63 escape-coded amplitudes and the end-of-block.
constexpr int kMaxBlockCodeBits = kBlockHeaderBits + 63 * 16 + 4;

// Writes the block's code at store: the header (9-bit DC, DCT mode, class), the run/amplitude
// codes of the positions in nonzeroList (ascending, 0-terminated) and the end-of-block code,
// with zero bits after it to the end of its last byte. Returns the code's bits. Writes at
// most kMaxBlockCodeBits / 8 + 8 bytes, the size of store.
int CodeBlockToStore(const BlockWork& block, const uint8_t* nonzeroList, uint8_t* store);

}  // namespace encdv

#endif
