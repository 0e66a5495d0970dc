// Field difference, zigzag scans and AC measures in NEON: a scanned block stays in eight
// registers between the gather and the measures.
#include <arm_neon.h>

#include <cstddef>
#include <utility>

#include "transform/scan.h"
#include "transform/scan_order.h"

namespace encdv {

namespace {

// Row r (words 8r to 8r + 7) of a scan, gathered word by word into one register.
template <const uint8_t* Order, std::size_t Row, std::size_t... L>
inline uint16x8_t GatherScanRow(uint16x8_t row, const CoefficientWord* transformed,
                                std::index_sequence<L...>) {
    ((row = vld1q_lane_u16(transformed + Order[8 * Row + L], row, L)), ...);
    return row;
}

// The scan of words 1-63 in the given order into eight registers; word 0 is 0.
template <const uint8_t* Order>
inline void GatherScan(uint16x8_t rows[8], const CoefficientWord* transformed) {
    const uint16x8_t zero = vdupq_n_u16(0);
    rows[0] =
        GatherScanRow<Order, 0>(zero, transformed, std::index_sequence<1, 2, 3, 4, 5, 6, 7>());
    const std::make_index_sequence<8> lanes;
    rows[1] = GatherScanRow<Order, 1>(zero, transformed, lanes);
    rows[2] = GatherScanRow<Order, 2>(zero, transformed, lanes);
    rows[3] = GatherScanRow<Order, 3>(zero, transformed, lanes);
    rows[4] = GatherScanRow<Order, 4>(zero, transformed, lanes);
    rows[5] = GatherScanRow<Order, 5>(zero, transformed, lanes);
    rows[6] = GatherScanRow<Order, 6>(zero, transformed, lanes);
    rows[7] = GatherScanRow<Order, 7>(zero, transformed, lanes);
}

// The AC measures of a coefficient block held in eight registers: magnitudes are the low 11
// bits, so unsigned lanes order them as signed ones would, and the sum wraps at 65536.
inline uint32_t MeasureRows(const uint16x8_t rows[8]) {
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

template <const uint8_t* Order>
uint32_t ScanAndMeasure(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    uint16x8_t rows[8];
    GatherScan<Order>(rows, transformed);
    for (int i = 0; i < 8; ++i) vst1q_u16(coefficients + 8 * i, rows[i]);
    return MeasureRows(rows);
}

}  // namespace

int FieldDifference_NEON(const uint8_t* samples) {
    // Each load holds one line pair: line 2z in the low, line 2z + 1 in the high 8 bytes.
    uint16x8_t sums = vdupq_n_u16(0);
    for (int z = 0; z < 4; ++z) {
        const uint8x16_t pair = vld1q_u8(samples + 16 * z);
        sums = vabal_u8(sums, vget_low_u8(pair), vget_high_u8(pair));
    }
    return static_cast<int>(vaddlvq_u16(sums));
}

uint32_t ScanAndMeasure88_NEON(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    return ScanAndMeasure<kScanOrder88>(coefficients, transformed);
}

uint32_t ScanAndMeasure248_NEON(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    return ScanAndMeasure<kScanOrder248>(coefficients, transformed);
}

uint32_t MeasureAc_NEON(const CoefficientWord* coefficients) {
    uint16x8_t rows[8];
    for (int i = 0; i < 8; ++i) rows[i] = vld1q_u16(coefficients + 8 * i);
    return MeasureRows(rows);
}

}  // namespace encdv
