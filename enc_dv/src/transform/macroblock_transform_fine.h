#ifndef ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_FINE_H
#define ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_FINE_H

#include <cstdint>

#include "common/fine_coefficients.h"
#include "common/macroblock_pixels.h"
#include "common/macroblock_work.h"

namespace encdv {

// The macroblock transform of the best-quality mode, for macroblock m (0-4) of a segment:
// dctMode as TransformMacroblock gives it, the DC rounded to the nearest (TransformMacroblock
// rounds it an eighth low), and each AC coefficient to 2^-kFineFractionBits of a unit (the
// forwardDctFine kernels), finer than the coefficient words: its magnitude into the block's
// row of fine.blocks (scan order), its sign into bit 15 of the block's coefficient word (the
// other bits zero). maxAc and sumAc are not filled. With otherMode, for the blocks whose
// fields differ enough for the other DCT mode to stand a chance, also the magnitudes under
// that mode into fine.other and their signs into fine.otherSigns; fine.otherValid tells which
// blocks have them (none without otherMode).
void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             FineMagnitudes& fine, int m, bool otherMode);

}  // namespace encdv

#endif
