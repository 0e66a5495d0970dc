#include "common/macroblock_work.h"

#include <cstdint>

namespace encdv {

void PrepareMacroblockWork(MacroblockWork& work) {
    const uintptr_t area = reinterpret_cast<uintptr_t>(work.coefficientArea);
    work.coefficientStore = reinterpret_cast<CoefficientWord*>((area + 15) & ~uintptr_t{15});
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        work.blocks[b].coefficients = work.coefficientStore + 64 * b;
    }
    work.blockCount = kBlocksPerMacroblock;
    work.codedBlocks = 0;
}

}  // namespace encdv
