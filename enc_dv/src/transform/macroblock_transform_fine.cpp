#include "transform/macroblock_transform_fine.h"

#include "transform/macroblock_transform.h"
#include "transform/transform_kernels.h"

namespace encdv {
namespace {

// Field difference at which the motion test picks the 2-4-8 DCT (as TransformMacroblock).
constexpr int kMotionThreshold = 1200;
// Below this field difference the other DCT mode is not worked out: on the interlaced
// benchmark clip it still wins blocks down to here (luminance over libavcodec 1.87 dB with a
// floor of 800, 2.29 with 300, 2.48 with 150, 2.65 with none), while progressive pictures
// pay little (on the photograph clips a quarter of the blocks reach it, and the code-size
// guess settles most of those without measuring both modes).
constexpr int kOtherModeFloor = 150;

}  // namespace

void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             uint16_t (*magnitudes)[64], uint16_t (*other)[64],
                             uint64_t* otherSigns, bool* otherValid) {
    const TransformKernels& kernels = GetTransformKernels();
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        const uint8_t* samples = pixels.blocks[b];
        BlockWork& block = work.blocks[b];
        const int difference = kernels.fieldDifference(samples);
        const int mode = difference >= kMotionThreshold ? 1 : 0;
        block.dctMode = mode;
        const int sum = kernels.forwardDctFine[mode](samples, magnitudes[b], block.coefficients);
        const bool withOther = other != nullptr && difference >= kOtherModeFloor;
        if (otherValid != nullptr) otherValid[b] = withOther;
        if (withOther) otherSigns[b] = kernels.forwardDctFineSigns[1 - mode](samples, other[b]);
        // The DC from floor((S + 1) / 4), S the sample sum, in units of 8 and rounded to the
        // nearest (TransformMacroblock's offset of 3 rounds a little low): -256 to 254.
        block.dc = ((((sum + 1) >> 2) + 4) >> 3) - 256;
    }
}

}  // namespace encdv
