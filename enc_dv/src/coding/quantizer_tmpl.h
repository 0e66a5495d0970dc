#ifndef ENC_DV_CODING_QUANTIZER_TMPL_H
#define ENC_DV_CODING_QUANTIZER_TMPL_H

// The part of the vector quantizer kernels that does not depend on the instruction set: how
// the four areas and the thirteen step patterns fall on the eight 8-word rows of a block.
// Included by each instruction set's kernel file and compiled with its flags. Every function
// here is a template over that file's primitives V (a type in its unnamed namespace), so that
// no copy is shared with an object built with other flags. V provides, on one 8-word row of a
// 16-byte-aligned block:
//   template <int K> static void Shift8(CoefficientWord* row);
//       every word shifted right arithmetically by K > 0;
//   template <int L, int H, int kSplit> static void ShiftSplit8(CoefficientWord* row);
//       words 0 to kSplit - 1 shifted by L, the others by H (L != H), in one store;
// and the kernels BuildNonzeroList (a NonzeroListFunction) and RoundAtShifts (a
// RoundAtShiftsFunction) as static functions.

#include <cstddef>
#include <utility>

#include "coding/quantizer.h"

namespace encdv {

// The three 8-position vectors of a block in which an area ends (area a + 1 starts in vector
// kStraddlingVector[a], at lane kStraddlingLane[a]); the other vectors lie wholly in one area.
inline constexpr int kStraddlingVector[kAreaCount - 1] = {kAreaStart[1] / 8, kAreaStart[2] / 8,
                                                          kAreaStart[3] / 8};
inline constexpr int kStraddlingLane[kAreaCount - 1] = {kAreaStart[1] % 8, kAreaStart[2] % 8,
                                                        kAreaStart[3] % 8};

// The area sums of the rounding kernels are written for these vectors.
static_assert(kStraddlingVector[0] == 0 && kStraddlingVector[1] == 2 && kStraddlingVector[2] == 5,
              "areas 1, 2 and 3 start inside vectors 0, 2 and 5");

// Rounding at every shift: amplitudes above 255 occur only at the first kCappedShifts shifts,
// for magnitudes below 4096, and only for magnitudes above kCapFree.
inline constexpr int kCappedShifts = 2;
inline constexpr int kCapFree = 2044;

namespace quantizer_tmpl {

// Row R of a block with the area shift counts A0 to A3: one shift where the row lies in one
// area or its areas shift alike, a split one where they differ, none for a count of 0.
template <typename V, int R, int A0, int A1, int A2, int A3>
inline void ShiftRow(CoefficientWord* block) {
    constexpr int counts[kAreaCount] = {A0, A1, A2, A3};
    constexpr int low = kAreaOfPosition.area[8 * R];
    constexpr int high = kAreaOfPosition.area[8 * R + 7];
    static_assert(high - low <= 1, "an 8-word row holds at most one area boundary");
    if constexpr (low == high || counts[low] == counts[high]) {
        if constexpr (counts[low] != 0) V::template Shift8<counts[low]>(block + 8 * R);
    } else {
        V::template ShiftSplit8<counts[low], counts[high], kAreaStart[high] - 8 * R>(block + 8 * R);
    }
}

template <typename V, int A0, int A1, int A2, int A3, std::size_t... R>
inline void ShiftRows(CoefficientWord* block, std::index_sequence<R...>) {
    (ShiftRow<V, static_cast<int>(R), A0, A1, A2, A3>(block), ...);
}

// Every area a of a block shifted right by A<a>, straight-line, row by row.
template <typename V, int A0, int A1, int A2, int A3>
void ShiftAreas(CoefficientWord* block) {
    static_assert(kAreaCount == 4, "one count per area");
    ShiftRows<V, A0, A1, A2, A3>(block, std::make_index_sequence<8>());
}

// Step pattern P quantizes by its counts; ShiftArea one area by one more bit.
template <typename V, std::size_t... P>
void SetPatterns(QuantizerKernels& kernels, std::index_sequence<P...>) {
    ((kernels.quantize[P] = ShiftAreas<V, QuantPattern[P][0], QuantPattern[P][1],
                                       QuantPattern[P][2], QuantPattern[P][3]>),
     ...);
}

template <typename V, std::size_t... A>
void SetAreaShifts(QuantizerKernels& kernels, std::index_sequence<A...>) {
    ((kernels.shiftArea[A] = ShiftAreas<V, A == 0, A == 1, A == 2, A == 3>), ...);
}

}  // namespace quantizer_tmpl

// Fills `kernels` with V's.
template <typename V>
void SetQuantizerKernels(QuantizerKernels& kernels) {
    quantizer_tmpl::SetPatterns<V>(kernels, std::make_index_sequence<kQuantPatternCount>());
    quantizer_tmpl::SetAreaShifts<V>(kernels, std::make_index_sequence<kAreaCount>());
    kernels.buildNonzeroList = V::BuildNonzeroList;
    kernels.roundAtShifts = V::RoundAtShifts;
}

}  // namespace encdv

#endif
