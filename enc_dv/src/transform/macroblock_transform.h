#ifndef ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_H
#define ENC_DV_TRANSFORM_MACROBLOCK_TRANSFORM_H

#include <cstdint>

#include "input/macroblock_pixels.h"
#include "transform/macroblock_work.h"

namespace encdv {

// Fills dctMode, the coefficient block, dc, maxAc and sumAc of all six blocks.
void TransformMacroblock(MacroblockWork& work, const MacroblockPixels& pixels);

}  // namespace encdv

#endif
