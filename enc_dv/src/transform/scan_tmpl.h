#ifndef ENC_DV_TRANSFORM_SCAN_TMPL_H
#define ENC_DV_TRANSFORM_SCAN_TMPL_H

// The part of the vector scan kernels that does not depend on the instruction set: a scanned
// block gathered into eight registers, row by row, stored and measured without leaving them.
// Included by each instruction set's scan file and compiled with its flags. Every function
// here is a template over that file's primitives V (a type in its unnamed namespace), so that
// no copy is shared with an object built with other flags. V provides, with Vector eight
// 16-bit lanes:
//   static Vector Zero();
//   template <const uint8_t* Order, std::size_t Row, std::size_t... L>
//   static Vector GatherScanRow(Vector row, const CoefficientWord* transformed,
//                               std::index_sequence<L...>);
//       lanes L of `row` from the transform outputs of scan positions 8 Row + L;
//   static Vector LoadRow(const CoefficientWord*), StoreRow(CoefficientWord*, Vector);
//       16-byte aligned;
//   static uint32_t MeasureRows(const Vector rows[8]);  the AC measures of MeasureAcKernel;
//   static int FieldDifference(const uint8_t* samples);  a FieldDifferenceKernel.

#include <cstddef>
#include <utility>

#include "transform/scan_order.h"
#include "transform/transform_kernels.h"

namespace encdv {

namespace scan_tmpl {

// The scan of words 1-63 in the given order into eight registers; word 0 is 0.
template <typename V, const uint8_t* Order, typename Vector>
inline void GatherScan(Vector rows[8], const CoefficientWord* transformed) {
    const Vector zero = V::Zero();
    rows[0] = V::template GatherScanRow<Order, 0>(zero, transformed,
                                                  std::index_sequence<1, 2, 3, 4, 5, 6, 7>());
    const std::make_index_sequence<8> lanes;
    rows[1] = V::template GatherScanRow<Order, 1>(zero, transformed, lanes);
    rows[2] = V::template GatherScanRow<Order, 2>(zero, transformed, lanes);
    rows[3] = V::template GatherScanRow<Order, 3>(zero, transformed, lanes);
    rows[4] = V::template GatherScanRow<Order, 4>(zero, transformed, lanes);
    rows[5] = V::template GatherScanRow<Order, 5>(zero, transformed, lanes);
    rows[6] = V::template GatherScanRow<Order, 6>(zero, transformed, lanes);
    rows[7] = V::template GatherScanRow<Order, 7>(zero, transformed, lanes);
}

template <typename V, const uint8_t* Order>
uint32_t ScanAndMeasure(CoefficientWord* coefficients, const CoefficientWord* transformed) {
    typename V::Vector rows[8];
    GatherScan<V, Order>(rows, transformed);
    for (int i = 0; i < 8; ++i) V::StoreRow(coefficients + 8 * i, rows[i]);
    return V::MeasureRows(rows);
}

template <typename V>
uint32_t MeasureAc(const CoefficientWord* coefficients) {
    typename V::Vector rows[8];
    for (int i = 0; i < 8; ++i) rows[i] = V::LoadRow(coefficients + 8 * i);
    return V::MeasureRows(rows);
}

}  // namespace scan_tmpl

// Fills the field difference, scan and measure entries of `kernels` with V's.
template <typename V>
void SetScanKernels(TransformKernels& kernels) {
    kernels.fieldDifference = V::FieldDifference;
    kernels.scanAndMeasure[0] = scan_tmpl::ScanAndMeasure<V, kScanOrder88>;
    kernels.scanAndMeasure[1] = scan_tmpl::ScanAndMeasure<V, kScanOrder248>;
    kernels.measureAc = scan_tmpl::MeasureAc<V>;
}

}  // namespace encdv

#endif
