// Field difference, zigzag scans and AC measures in NEON: a scanned block stays in eight
// registers between the gather and the measures.
#include <arm_neon.h>

#include <cstddef>
#include <utility>

#include "transform/scan_tmpl.h"

namespace encdv {

namespace {

// The primitives of the scan kernels (scan_tmpl.h).
struct Scan {
    using Vector = uint16x8_t;

    static uint16x8_t Zero() { return vdupq_n_u16(0); }

    // One lane load per word.
    template <const uint8_t* Order, std::size_t Row, std::size_t... L>
    static uint16x8_t GatherScanRow(uint16x8_t row, const CoefficientWord* transformed,
                                    std::index_sequence<L...>) {
        ((row = vld1q_lane_u16(transformed + Order[8 * Row + L], row, L)), ...);
        return row;
    }

    static uint16x8_t LoadRow(const CoefficientWord* words) { return vld1q_u16(words); }
    static void StoreRow(CoefficientWord* words, uint16x8_t row) { vst1q_u16(words, row); }

    // The AC measures of a coefficient block held in eight registers: magnitudes are the low
    // 11 bits, so unsigned lanes order them as signed ones would, and the sum wraps at 65536.
    static uint32_t MeasureRows(const uint16x8_t rows[8]) {
        const uint16x8_t magnitudeMask = vdupq_n_u16(0x07FF);
        // Word 0 (the DC slot) does not count.
        uint16x8_t row = vandq_u16(rows[0], vsetq_lane_u16(0, magnitudeMask, 0));
        uint16x8_t largest = row;
        uint16x8_t sum = row;
        for (int i = 1; i < 8; ++i) {
            row = vandq_u16(rows[i], magnitudeMask);
            largest = vmaxq_u16(largest, row);
            sum = vaddq_u16(sum, row);
        }
        const uint32_t maxAc = vmaxvq_u16(largest);
        const uint32_t sumAc = vaddvq_u16(sum);
        return (sumAc << 16) | maxAc;
    }

    // Each load holds one line pair: line 2z in the low, line 2z + 1 in the high 8 bytes.
    static int FieldDifference(const uint8_t* samples) {
        uint16x8_t sums = vdupq_n_u16(0);
        for (int z = 0; z < 4; ++z) {
            const uint8x16_t pair = vld1q_u8(samples + 16 * z);
            sums = vabal_u8(sums, vget_low_u8(pair), vget_high_u8(pair));
        }
        return static_cast<int>(vaddlvq_u16(sums));
    }
};

}  // namespace

void SetScanKernels_NEON(TransformKernels& kernels) {
    SetScanKernels<Scan>(kernels);
}

}  // namespace encdv
