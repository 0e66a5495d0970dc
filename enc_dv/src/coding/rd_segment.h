#ifndef ENC_DV_CODING_RD_SEGMENT_H
#define ENC_DV_CODING_RD_SEGMENT_H

// The records the phases of the best-quality selection hand one another, and the few rules
// they share: which step pattern a block takes and how its errors are weighed.
#include <cstdint>

#include "coding/quant_tables.h"
#include "coding/rd_block.h"
#include "coding/segment_coder.h"
#include "common/constants.h"
#include "common/macroblock_work.h"

namespace encdv {

// Weight of a colour-difference sample's squared error against a luminance sample's, in
// sixteenths: half, as the eye and the luminance PSNR care less about it (measured: 12
// sixteenths cost 0.15 to 0.2 dB of luminance on photographs for colour far above the
// default mode's).
constexpr int32_t kChromaWeight = 8;
constexpr int32_t kLumaWeight = 16;

// Where even the coarsest steps overshoot (noise), codes must be dropped whatever the choice;
// there colour errors weigh one and a half times luminance's, which keeps colour at least as
// good as the default mode's (measured on noise) while luminance stays well above it.
constexpr int32_t kOvershootChromaWeight = 24;

// Weight of block j's errors in sixteenths.
inline int32_t WeightScale(int block) {
    return block % kBlocksPerMacroblock >= kBlockCr ? kChromaWeight : kLumaWeight;
}

// A choice for a whole segment: per macroblock its QNO and bits, per block its class.
struct SegmentChoice {
    int32_t qno[kMacroblocksPerSegment];
    int32_t macroblockBits[kMacroblocksPerSegment];
    uint8_t classNumber[kBlocksPerSegment];
    int32_t bits;
};

// A choice quantized coefficient by coefficient: the amplitudes and exact bits of every block.
struct QuantizedSegment {
    SegmentChoice choice;
    uint8_t amplitudes[kBlocksPerSegment][64];
    int32_t rate[kBlocksPerSegment];
    int32_t bits;
};

// The step pattern of block j under a choice.
inline int Pattern(const SegmentChoice& choice, int block) {
    return QuantPatternIndex[choice.classNumber[block]][choice.qno[block / kBlocksPerMacroblock]];
}

inline int DctModeOf(const MacroblockWork* macroblocks, int block) {
    return macroblocks[block / kBlocksPerMacroblock].blocks[block % kBlocksPerMacroblock].dctMode;
}

// Scratch of the search for one segment, owned by the best-quality pipeline of a thread.
struct RdSegmentWork {
    BlockRd blocks[kBlocksPerSegment];  // rounded, per step pattern
    // The terms of each block and pattern's cost in the search: error x 2^16 and bits (an
    // invalid pattern: an error above every cost, no bits).
    int64_t scaledError[kBlocksPerSegment][kQuantPatternCount];
    int32_t costRate[kBlocksPerSegment][kQuantPatternCount];
    // Bits and amplitudes of each block and pattern under the coefficient choice; -1: not yet.
    int16_t choiceRate[kBlocksPerSegment][kQuantPatternCount];
    uint8_t choiceAmplitudes[kBlocksPerSegment][kQuantPatternCount][64];
    QuantizedSegment quantized;
    QuantizedSegment finer;
    BlockRd otherMode;  // a block measured under its other DCT mode
};

}  // namespace encdv

#endif
