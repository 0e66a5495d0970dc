#ifndef ENC_DV_CODING_BLOCK_BITS_H
#define ENC_DV_CODING_BLOCK_BITS_H

// Nonzero lists of quantized blocks and the exact lengths of their codes, shared by every
// way of choosing the quantization.
#include <cstdint>

#include "common/macroblock_work.h"

namespace encdv {

// AC codes of a block end with a 4-bit end-of-block code.
constexpr int32_t kEndOfBlockBits = 4;

// Writes the ascending positions 1-63 whose word has nonzero low 8 bits, then a 0 byte.
// list holds 64 bytes; those after the 0 byte may be overwritten with anything.
void BuildNonzeroList(const CoefficientWord* block, uint8_t* list);

// Exact bits of the block's AC codes plus its 4-bit end-of-block code (header excluded).
int32_t CountBlockBits(const CoefficientWord* block, const uint8_t* list);

// Drops from list, in place and in order, the positions whose word is now zero, then counts
// as CountBlockBits does.
int32_t PruneAndCountBlockBits(const CoefficientWord* block, uint8_t* list);

}  // namespace encdv

#endif
