#ifndef ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_FINE_H
#define ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_FINE_H

#include <cstdint>

#include "common/fine_coefficients.h"
#include "common/macroblock_pixels.h"
#include "common/macroblock_work.h"

namespace encdv {

// The macroblock transform of the best-quality mode: dctMode as TransformMacroblock gives
// it, the DC rounded to the nearest (TransformMacroblock rounds it an eighth low), and each
// AC coefficient computed exactly (ForwardDctFine) with kFineFractionBits more bits than the
// coefficient words carry: its magnitude into magnitudes[b] (scan order), its sign into bit
// 15 of the block's coefficient word (the other bits zero). maxAc and sumAc are not filled.
void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             uint16_t (*magnitudes)[64]);

}  // namespace encdv

#endif
