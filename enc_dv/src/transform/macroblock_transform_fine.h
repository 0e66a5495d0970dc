#ifndef ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_FINE_H
#define ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_FINE_H

#include <cstdint>

#include "common/fine_coefficients.h"
#include "common/macroblock_pixels.h"
#include "common/macroblock_work.h"

namespace encdv {

// The macroblock transform of the best-quality mode: dctMode as TransformMacroblock gives
// it, the DC rounded to the nearest (TransformMacroblock rounds it an eighth low), and each
// AC coefficient to 2^-kFineFractionBits of a unit (the forwardDctFine kernels), finer than
// the coefficient words: its magnitude into magnitudes[b] (scan order), its sign into bit
// 15 of the block's coefficient word (the other bits zero). maxAc and sumAc are not filled.
// When other is not null, for the blocks whose fields differ enough for the other DCT mode
// to stand a chance, also the magnitudes under that mode into other[b] and their signs into
// otherSigns[b] (bit k set: negative), with otherValid[b] telling which blocks have them
// (when otherValid is given and other is null: none).
void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             uint16_t (*magnitudes)[64], uint16_t (*other)[64] = nullptr,
                             uint64_t* otherSigns = nullptr, bool* otherValid = nullptr);

}  // namespace encdv

#endif
