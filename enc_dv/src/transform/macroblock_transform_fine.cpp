#include "transform/macroblock_transform_fine.h"

#include "transform/forward_dct.h"
#include "transform/macroblock_transform.h"
#include "transform/scan_order.h"
#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

// An output table that keeps the flowgraph's values nearly whole: floor((|x| + 1) x 32767 /
// 65536) is floor(|x| / 2) for every |x| up to 16320, so |x| is 2h or 2h + 1 and 2h + 1/2
// is off by a quarter of the flowgraph's unit at most. The weighting is then applied here
// with more bits than the coefficient words hold.
constexpr OutputScaleTable MakeHalvingTable() {
    OutputScaleTable table{};
    for (int k = 0; k < 64; ++k) {
        table.multiplier[k] = 32767;
        table.bias[k] = 1;
    }
    return table;
}
alignas(16) constexpr OutputScaleTable kHalvingTable = MakeHalvingTable();

constexpr uint32_t kRound = 1u << (16 - kFineFractionBits);

}  // namespace

void TransformMacroblockFine(MacroblockWork& work, const MacroblockPixels& pixels,
                             uint16_t (*magnitudes)[64]) {
    alignas(64) CoefficientWord halves[64];
    const TransformKernels& kernels = GetTransformKernels();
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        const uint8_t* samples = pixels.blocks[b];
        BlockWork& block = work.blocks[b];
        const int mode = ChooseDctMode(samples);
        block.dctMode = mode;
        kernels.forwardDct[mode](halves, samples, kHalvingTable);
        const uint8_t* scan = mode == 0 ? kScanOrder88 : kScanOrder248;
        const int16_t* multiplier = GetOutputScaleTable(mode).multiplier;
        uint16_t* m = magnitudes[b];
        CoefficientWord* words = block.coefficients;
        m[0] = 0;
        words[0] = 0;
        static_assert(kFineFractionBits <= 4, "2|x| times a multiplier stays below 2^32");
        for (int k = 1; k < 64; ++k) {
            const CoefficientWord half = halves[scan[k]];
            // 2|x| (estimated as 4h + 1) times the weighting multiplier, with
            // kFineFractionBits bits kept.
            const uint32_t twiceX = 4u * (half & 0x7FFFu) + 1;
            m[k] = static_cast<uint16_t>(
                (twiceX * static_cast<uint32_t>(multiplier[scan[k]]) + kRound) >>
                (17 - kFineFractionBits));
            words[k] = half & kSignBit;
        }
        // The DC from floor((S + 1) / 4), S the sample sum, in units of 8 and rounded to the
        // nearest (TransformMacroblock's offset of 3 rounds a little low): -256 to 254.
        int32_t sum = 0;
        for (int i = 0; i < 64; ++i) sum += samples[i];
        block.dc = ((((sum + 1) >> 2) + 4) >> 3) - 256;
    }
}

}  // namespace encdv
