#ifndef ENC_DV_DRIVER_SHUFFLE_H
#define ENC_DV_DRIVER_SHUFFLE_H

#include <cstdint>

#include "common/constants.h"

namespace encdv {

// Macroblock positions of every video DIF block for a video mode (0, 2 or 3):
// sequenceCount x 135 pairs (x, y) of the top-left luma sample, entry s x 135 + v for
// video block v of DIF sequence s. Null for any other mode.
const int32_t* GetShuffleTable(int mode);

}  // namespace encdv

#endif
