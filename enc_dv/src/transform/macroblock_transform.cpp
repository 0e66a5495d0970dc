#include "transform/macroblock_transform.h"

#include <cstring>

namespace encdv {

// Placeholder: a flat macroblock. Replaced by the real transform.
void TransformMacroblock(MacroblockWork& work, const MacroblockPixels&) {
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        BlockWork& block = work.blocks[b];
        std::memset(block.coefficients, 0, 64 * sizeof(CoefficientWord));
        block.dc = 0;
        block.dctMode = 0;
        block.maxAc = 0;
        block.sumAc = 0;
    }
}

}  // namespace encdv
