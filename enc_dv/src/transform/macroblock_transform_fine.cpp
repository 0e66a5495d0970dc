#include "transform/macroblock_transform_fine.h"

#include "transform/macroblock_transform.h"
#include "transform/transform_kernels.h"

namespace encdv {
namespace {

// Below this field difference the other DCT mode is not worked out: on the interlaced
// benchmark clip it still wins blocks down to here (luminance over libavcodec 1.87 dB with a
// floor of 800, 2.29 with 300, 2.48 with 150, 2.65 with none), while progressive pictures
// pay little (on the photograph clips a quarter of the blocks reach it, and the code-size
// guess settles most of those without measuring both modes).
constexpr int kOtherModeFloor = 150;

}  // namespace

void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             FineMagnitudes& fine, int m, bool otherMode) {
    const TransformKernels& kernels = GetTransformKernels();
    uint16_t(*magnitudes)[64] = fine.blocks + kBlocksPerMacroblock * m;
    uint16_t(*other)[64] = fine.other + kBlocksPerMacroblock * m;
    uint64_t* otherSigns = fine.otherSigns + kBlocksPerMacroblock * m;
    bool* otherValid = fine.otherValid + kBlocksPerMacroblock * m;
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        const uint8_t* samples = pixels.blocks[b];
        BlockWork& block = work.blocks[b];
        const int difference = kernels.fieldDifference(samples);
        const int mode = DctModeFromDifference(difference);
        block.dctMode = mode;
        const int sum = kernels.forwardDctFine[mode](samples, magnitudes[b], block.coefficients);
        const bool withOther = otherMode && difference >= kOtherModeFloor;
        otherValid[b] = withOther;
        if (withOther) otherSigns[b] = kernels.forwardDctFineSigns[1 - mode](samples, other[b]);
        // The DC from floor((S + 1) / 4), S the sample sum, in units of 8 and rounded to the
        // nearest (TransformMacroblock's offset of 3 rounds a little low): -256 to 254.
        block.dc = ((((sum + 1) >> 2) + 4) >> 3) - 256;
    }
}

}  // namespace encdv
