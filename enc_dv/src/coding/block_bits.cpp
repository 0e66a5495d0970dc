#include "coding/block_bits.h"

#include "coding/code_length_table.h"
#include "coding/quantizer.h"

namespace encdv {

void BuildNonzeroList(const CoefficientWord* block, uint8_t* list) {
    GetQuantizerKernels().buildNonzeroList(block, list);
}

int32_t CountBlockBits(const CoefficientWord* block, const uint8_t* list) {
    int32_t bits = kEndOfBlockBits;
    uint32_t previous = 0;
    for (; *list != 0; ++list) {
        const uint32_t position = *list;
        bits += CoefficientCodeBits(position - previous, block[position] & 0xFF);
        previous = position;
    }
    return bits;
}

int32_t PruneAndCountBlockBits(const CoefficientWord* block, uint8_t* list) {
    int32_t bits = kEndOfBlockBits;
    uint32_t previous = 0;
    uint8_t* kept = list;
    for (; *list != 0; ++list) {
        const uint32_t position = *list;
        const uint32_t amplitude = block[position] & 0xFF;
        if (amplitude == 0) continue;
        *kept++ = static_cast<uint8_t>(position);
        bits += CoefficientCodeBits(position - previous, amplitude);
        previous = position;
    }
    *kept = 0;
    return bits;
}

}  // namespace encdv
