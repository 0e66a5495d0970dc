// Field difference, zigzag scans and AC measures in plain integers.
#include <cstdlib>

#include "transform/scan.h"
#include "transform/scan_order.h"
#include "transform/transform_kernels.h"

namespace encdv {

namespace {

template <const uint8_t* Order>
uint32_t ScanAndMeasure(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    coefficients[0] = 0;
    for (int k = 1; k < 64; ++k) coefficients[k] = transformed[Order[k]];
    return MeasureAc_C(coefficients);
}

}  // namespace

int FieldDifference_C(const uint8_t* samples) {
    int sum = 0;
    for (int z = 0; z < 4; ++z) {
        for (int c = 0; c < 8; ++c) sum += std::abs(samples[16 * z + c] - samples[16 * z + 8 + c]);
    }
    return sum;
}

uint32_t ScanAndMeasure88_C(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    return ScanAndMeasure<kScanOrder88>(coefficients, transformed);
}

uint32_t ScanAndMeasure248_C(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    return ScanAndMeasure<kScanOrder248>(coefficients, transformed);
}

uint32_t MeasureAc_C(const CoefficientWord* coefficients) {
    uint32_t largest = 0, sum = 0;
    for (int k = 1; k < 64; ++k) {
        const uint32_t magnitude = coefficients[k] & 0x07FFu;
        if (magnitude > largest) largest = magnitude;
        sum += magnitude;
    }
    return ((sum & 0xFFFFu) << 16) | largest;
}

void SetScanKernels_C(TransformKernels& kernels) {
    kernels.fieldDifference = FieldDifference_C;
    kernels.scanAndMeasure[0] = ScanAndMeasure88_C;
    kernels.scanAndMeasure[1] = ScanAndMeasure248_C;
    kernels.measureAc = MeasureAc_C;
}

}  // namespace encdv
