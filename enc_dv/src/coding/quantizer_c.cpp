// The quantizer's kernels in plain integers: the reference for the vector versions.
#include <cstddef>
#include <utility>

#include "coding/code_length_table.h"
#include "coding/nonzero_list.h"
#include "coding/quantizer.h"
#include "common/bit_scan.h"

namespace encdv {

namespace {

// Arithmetic shift of a sign-magnitude word, as a 16-bit lane shifts.
CoefficientWord ShiftRight(CoefficientWord word, int count) {
    return static_cast<CoefficientWord>(static_cast<int16_t>(word) >> count);
}

template <int Pattern>
void QuantizeWithPattern(CoefficientWord* block) {
    for (int area = 0; area < kAreaCount; ++area) {
        const int count = QuantPattern[Pattern][area];
        for (int k = kAreaStart[area]; k < kAreaStart[area + 1]; ++k) {
            block[k] = ShiftRight(block[k], count);
        }
    }
}

template <int Area>
void ShiftArea(CoefficientWord* block) {
    for (int k = kAreaStart[Area]; k < kAreaStart[Area + 1]; ++k)
        block[k] = ShiftRight(block[k], 1);
}

template <std::size_t... P, std::size_t... A>
void SetShifts(QuantizerKernels& kernels, std::index_sequence<P...>, std::index_sequence<A...>) {
    ((kernels.quantize[P] = QuantizeWithPattern<P>), ...);
    ((kernels.shiftArea[A] = ShiftArea<A>), ...);
}

void BuildNonzeroList(const CoefficientWord* block, uint8_t* list) {
    uint64_t nonzero = 0;
    for (int k = 0; k < 64; ++k) {
        if (block[k] & 0xFF) nonzero |= uint64_t{1} << k;
    }
    WriteNonzeroList(nonzero, list);
}

void RoundAtShifts(const uint16_t* magnitudes, const int16_t* weights, ShiftRounding& out) {
    out.capped = 0;
    for (int s = 0; s < kShiftCount; ++s) {
        out.nonzero[s] = 0;
        const int t = s + kFineFractionBits;
        const uint32_t offset = (1u << (t - 1)) - 1;
        for (int a = 0; a < kAreaCount; ++a) {
            uint32_t sum = 0;
            for (int k = kAreaStart[a]; k < kAreaStart[a + 1]; ++k) {
                const uint32_t m = magnitudes[k];
                const uint32_t rounded = (m + offset) >> t;
                const uint32_t amplitude = rounded < 255 ? rounded : 255;
                out.amplitudes[s][k] = static_cast<uint8_t>(amplitude);
                out.nonzero[s] |= static_cast<uint64_t>(amplitude != 0) << k;
                if (s == 0) out.capped |= static_cast<uint64_t>(rounded > 255) << k;
                // As 16-bit lanes compute it.
                const int16_t e = static_cast<int16_t>(m - (amplitude << t));
                const int16_t square = static_cast<int16_t>(static_cast<uint16_t>(e * e));
                sum += static_cast<uint32_t>(square * weights[k]);
            }
            out.distortion[a][s] = sum;
        }
    }
}

void AreaBits(const ShiftRounding& rounding, int32_t (*areaBits)[kShiftCount]) {
    // Length of amplitude a at distance d: lengths[64 a - d].
    const uint8_t* lengths = &CoefficientCodeLengthByAmplitude.bits[0][63];
    for (int s = 0; s < kShiftCount; ++s) {
        const uint8_t* amplitudes = rounding.amplitudes[s];
        // One walk over the whole block: a loop's exit is mispredicted once per shift, not once
        // per area.
        int32_t bits[kAreaCount] = {};
        std::size_t previous = 0;
        for (uint64_t m = rounding.nonzero[s] & ~uint64_t{1}; m != 0; m &= m - 1) {
            const std::size_t k = LowestBit(m);
            bits[kAreaOfPosition.area[k]] +=
                lengths[std::size_t{amplitudes[k]} * 64 + previous - k];
            previous = k;
        }
        for (int a = 0; a < kAreaCount; ++a) areaBits[a][s] = bits[a];
    }
}

}  // namespace

void SetQuantizerKernels_C(QuantizerKernels& kernels) {
    SetShifts(kernels, std::make_index_sequence<kQuantPatternCount>(),
              std::make_index_sequence<kAreaCount>());
    kernels.buildNonzeroList = BuildNonzeroList;
    kernels.roundAtShifts = RoundAtShifts;
    kernels.areaBits = AreaBits;
}

}  // namespace encdv
