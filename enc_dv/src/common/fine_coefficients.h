#ifndef ENC_DV_COMMON_FINE_COEFFICIENTS_H
#define ENC_DV_COMMON_FINE_COEFFICIENTS_H

#include <cstdint>

#include "common/constants.h"
#include "common/macroblock_pixels.h"

namespace encdv {

// Bits below the coefficient unit kept by the transform of the best-quality mode.
constexpr int kFineFractionBits = 3;

// The AC magnitudes of a segment's 30 blocks in scan order, in units of 2^-kFineFractionBits
// of a coefficient (below 512 units), word 0 of each block zero; their signs stay in the
// blocks' coefficient words. Written by the fine macroblock transform, read by the
// best-quality search.
struct FineMagnitudes {
    alignas(16) uint16_t blocks[kMacroblocksPerSegment * kBlocksPerMacroblock][64];
    // The same under the other DCT mode than the block's, with the signs as bits (bit k set:
    // negative), so that the search can take the mode that codes the block better.
    alignas(16) uint16_t other[kMacroblocksPerSegment * kBlocksPerMacroblock][64];
    uint64_t otherSigns[kMacroblocksPerSegment * kBlocksPerMacroblock];
    bool otherValid[kMacroblocksPerSegment * kBlocksPerMacroblock];  // false: not worked out
};

}  // namespace encdv

#endif
