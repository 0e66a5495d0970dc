#ifndef ENC_DV_INPUT_ROW_KERNELS_TMPL_H
#define ENC_DV_INPUT_ROW_KERNELS_TMPL_H

// The part of the vector row kernels that does not depend on the instruction set: the steps
// of 16 pixels, what each layout stores, and the table of every layout's kernels. Included
// by each instruction set's row kernel file and compiled with its flags. Every function here
// is a template over that file's primitives V (a type in its unnamed namespace), so that no
// copy is shared with an object built with other flags. V provides, with Vector eight signed
// 16-bit lanes:
//   template <bool kLumaFirst> static void Reorder16(source, luma, cb, cr);
//       16 packed 4:2:2 pixels split into 16 Y, 8 Cb and 8 Cr bytes;
//   template <int kBytesPerPixel, bool kStudio, AlphaWeight kWeight>
//   static void ConvertSixteen(context, source, Vector luma[2], Vector cb[2], Vector cr[2]);
//       16 B G R (A) pixels through the colour matrix: luma ready for saturation, chroma in
//       its fixed point (5 fractional bits full range, 1 studio range);
//   template <bool kWeighted>
//   static void VuyaPlanes(context, source, Vector luma[2], Vector cb[2], Vector cr[2]);
//       16 VUYA pixels as Y, Cb, Cr lanes, alpha-weighted when asked;
//   template <int kShift> static Vector ShiftRight(Vector);  arithmetic; 0 leaves it as it is
//   static void StoreBytes16(uint8_t*, Vector first8, Vector last8);  saturated to bytes
//   template <int kShift> static void StorePairSums8(context, uint8_t*, Vector, Vector);
//       the values of each pixel pair summed in 32 bits, shifted down, saturated to 8 bytes;
//   static void StorePairAverages8(uint8_t*, Vector, Vector);
//       the rounded average of each pixel pair, saturated to 8 bytes.

#include <cstddef>
#include <utility>

#include "input/row_kernels.h"

namespace encdv {

enum class AlphaWeight { kNone, kFullRange, kStudioRange };

namespace row_kernels_tmpl {

// How a BGR layout weights its colours by alpha (kNone for the other layouts).
template <ReaderVariant kVariant>
inline constexpr AlphaWeight kAlphaWeight =
    kRowLayouts[kVariant].pixels != PixelLayout::kBgr || !kRowLayouts[kVariant].alphaWeighted
        ? AlphaWeight::kNone
    : kRowLayouts[kVariant].studioRange ? AlphaWeight::kStudioRange
                                        : AlphaWeight::kFullRange;

template <typename V, bool kLumaFirst>
void StripTo422Packed(KernelContext* context) {
    V::template Reorder16<kLumaFirst>(context->source, context->lumaDestination,
                                      context->cbDestination, context->crDestination);
}

template <typename V, bool kLumaFirst>
void RowTo422Packed(KernelContext* context) {
    const uint8_t* source = context->source;
    uint8_t* luma = context->lumaDestination;
    uint8_t* cb = context->cbDestination;
    uint8_t* cr = context->crDestination;
    for (int step = 0; step < context->pixelCount / 16; ++step) {
        V::template Reorder16<kLumaFirst>(source + 32 * step, luma + 16 * step, cb + 8 * step,
                                          cr + 8 * step);
    }
}

// Y, Cb and Cr of 16 pixels of a VUYA or BGR layout.
template <typename V, ReaderVariant kVariant, typename Vector>
inline void Planes(const KernelContext* context, const uint8_t* source, Vector luma[2],
                   Vector cb[2], Vector cr[2]) {
    constexpr RowLayout kLayout = kRowLayouts[kVariant];
    if constexpr (kLayout.pixels == PixelLayout::kVuya) {
        V::template VuyaPlanes<kLayout.alphaWeighted>(context, source, luma, cb, cr);
    } else {
        V::template ConvertSixteen<kLayout.bytesPerPixel, kLayout.studioRange,
                                   kAlphaWeight<kVariant>>(context, source, luma, cb, cr);
    }
}

// 16 pixels to 4:2:2: the chroma of each pixel pair is the rounded average (VUYA), or the sum
// of the two unshifted values shifted down once (BGR).
template <typename V, ReaderVariant kVariant>
void StripTo422(KernelContext* context) {
    constexpr RowLayout kLayout = kRowLayouts[kVariant];
    typename V::Vector luma[2], cb[2], cr[2];
    Planes<V, kVariant>(context, context->source, luma, cb, cr);
    V::StoreBytes16(context->lumaDestination, luma[0], luma[1]);
    if constexpr (kLayout.pixels == PixelLayout::kVuya) {
        V::StorePairAverages8(context->cbDestination, cb[0], cb[1]);
        V::StorePairAverages8(context->crDestination, cr[0], cr[1]);
    } else {
        constexpr int kPairShift = kLayout.studioRange ? 2 : 6;
        V::template StorePairSums8<kPairShift>(context, context->cbDestination, cb[0], cb[1]);
        V::template StorePairSums8<kPairShift>(context, context->crDestination, cr[0], cr[1]);
    }
}

// A row of pixelCount pixels to 4:4:4.
template <typename V, ReaderVariant kVariant>
void RowTo444(KernelContext* context) {
    constexpr RowLayout kLayout = kRowLayouts[kVariant];
    constexpr int kShift = kLayout.pixels == PixelLayout::kVuya ? 0 : kLayout.studioRange ? 1 : 5;
    for (int step = 0; step < context->pixelCount / 16; ++step) {
        typename V::Vector luma[2], cb[2], cr[2];
        Planes<V, kVariant>(context, context->source + 16 * kLayout.bytesPerPixel * step, luma, cb,
                            cr);
        V::StoreBytes16(context->lumaDestination + 16 * step, luma[0], luma[1]);
        V::StoreBytes16(context->cbDestination + 16 * step, V::template ShiftRight<kShift>(cb[0]),
                        V::template ShiftRight<kShift>(cb[1]));
        V::StoreBytes16(context->crDestination + 16 * step, V::template ShiftRight<kShift>(cr[0]),
                        V::template ShiftRight<kShift>(cr[1]));
    }
}

template <typename V, ReaderVariant kVariant>
constexpr RowKernels KernelsOf() {
    constexpr RowLayout kLayout = kRowLayouts[kVariant];
    if constexpr (kLayout.pixels == PixelLayout::kPacked422) {
        return {RowTo422Packed<V, kLayout.lumaFirst>, StripTo422Packed<V, kLayout.lumaFirst>,
                nullptr};
    } else {
        return {nullptr, StripTo422<V, kVariant>, RowTo444<V, kVariant>};
    }
}

template <typename V, std::size_t... I>
void SetEveryLayout(RowKernelTable& kernels, std::index_sequence<I...>) {
    ((kernels[I] = KernelsOf<V, static_cast<ReaderVariant>(I)>()), ...);
}

}  // namespace row_kernels_tmpl

// Fills the row kernels of every layout with V's.
template <typename V>
void SetRowKernels(RowKernelTable& kernels) {
    row_kernels_tmpl::SetEveryLayout<V>(kernels, std::make_index_sequence<kReaderVariantCount>());
}

}  // namespace encdv

#endif
