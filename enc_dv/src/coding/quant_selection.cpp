#include "coding/quant_selection.h"

namespace encdv {

// Placeholder: every block class 0, QNO 15, no AC coefficients.
void SelectQuantization(MacroblockWork* macroblocks, uint32_t) {
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        MacroblockWork& mb = macroblocks[k];
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            mb.blocks[b].classNumber = 0;
            mb.blocks[b].codeBits = 4;
            mb.nonzeroList[b][0] = 0;
        }
        mb.qno = 15;
        mb.totalBits = 24;
    }
}

}  // namespace encdv
