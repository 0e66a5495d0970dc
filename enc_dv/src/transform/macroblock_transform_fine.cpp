#include "transform/macroblock_transform_fine.h"

#include "transform/forward_dct_fine.h"
#include "transform/macroblock_transform.h"
#include "transform/scan_order.h"
#include "transform/transform_kernels.h"

namespace encdv {
namespace {

// Field difference at which the motion test picks the 2-4-8 DCT (as TransformMacroblock).
constexpr int kMotionThreshold = 1200;
// Below this field difference the 2-4-8 DCT is not worked out: on the interlaced benchmark
// clip it still won blocks down to here (1.87 dB over libavcodec with a floor of 800, 2.29
// with 300, 2.64 with none), while progressive pictures rarely reach it and pay nothing.
constexpr int kOtherModeFloor = 300;

}  // namespace

void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             uint16_t (*magnitudes)[64], uint16_t (*other)[64],
                             uint64_t* otherSigns, bool* otherValid) {
    const TransformKernels& kernels = GetTransformKernels();
    int32_t transformed[64];
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        const uint8_t* samples = pixels.blocks[b];
        BlockWork& block = work.blocks[b];
        const int difference = kernels.fieldDifference(samples);
        const int mode = difference >= kMotionThreshold ? 1 : 0;
        block.dctMode = mode;
        ForwardDctFine(samples, mode, kFineFractionBits, transformed);
        const uint8_t* scan = mode == 0 ? kScanOrder88 : kScanOrder248;
        uint16_t* m = magnitudes[b];
        CoefficientWord* words = block.coefficients;
        m[0] = 0;
        words[0] = 0;
        for (int k = 1; k < 64; ++k) {
            const int32_t value = transformed[scan[k]];
            m[k] = static_cast<uint16_t>(value < 0 ? -value : value);
            words[k] = value < 0 ? kSignBit : 0;
        }
        if (otherValid != nullptr)
            otherValid[b] = other != nullptr && difference >= kOtherModeFloor;
        if (other != nullptr && difference >= kOtherModeFloor) {
            const int otherMode = 1 - mode;
            ForwardDctFine(samples, otherMode, kFineFractionBits, transformed);
            const uint8_t* otherScan = otherMode == 0 ? kScanOrder88 : kScanOrder248;
            uint64_t signs = 0;
            other[b][0] = 0;
            for (int k = 1; k < 64; ++k) {
                const int32_t value = transformed[otherScan[k]];
                other[b][k] = static_cast<uint16_t>(value < 0 ? -value : value);
                signs |= static_cast<uint64_t>(value < 0) << k;
            }
            otherSigns[b] = signs;
        }
        // The DC from floor((S + 1) / 4), S the sample sum, in units of 8 and rounded to the
        // nearest (TransformMacroblock's offset of 3 rounds a little low): -256 to 254.
        int32_t sum = 0;
        for (int i = 0; i < 64; ++i) sum += samples[i];
        block.dc = ((((sum + 1) >> 2) + 4) >> 3) - 256;
    }
}

}  // namespace encdv
