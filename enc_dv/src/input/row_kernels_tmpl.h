#ifndef ENC_DV_INPUT_ROW_KERNELS_TMPL_H
#define ENC_DV_INPUT_ROW_KERNELS_TMPL_H

// The part of the vector row kernels that does not depend on the instruction set: the steps
// of 16 pixels, the alpha weighting, what each layout stores, and the table of every layout's
// kernels. Included by each instruction set's row kernel file and compiled with its flags.
// Every function here is a template over that file's primitives V (a type in its unnamed
// namespace), so that no copy is shared with an object built with other flags. V provides,
// with Vector signed 16-bit lanes, kParts of them to the 16 pixels of a step (8 lanes: 2,
// 16 lanes: 1), and Parts an array of kParts Vectors, pixel order:
//   template <bool kLumaFirst> static void Reorder16(source, luma, cb, cr);
//       16 packed 4:2:2 pixels split into 16 Y, 8 Cb and 8 Cr bytes;
//   template <int kBytesPerPixel> static Pixels LoadPixels16(const uint8_t* source);
//       16 pixels of 3 or 4 bytes, exactly 48 or 64 bytes read;
//   template <int kByte> static Vector Channel(const Pixels&, int part);
//       byte kByte of the pixels of one part as 16-bit lanes;
//   static Vector ConstantRow(const KernelContext*, int row);  the colour constants
//   static Vector Add(Vector, Vector), Sub(Vector, Vector);
//   static Vector ScaleByAlpha(Vector value, Vector alphaPlusOne, Vector round);
//       (value alphaPlusOne + round) >> 8 in unsigned 16-bit lanes;
//   template <bool kStudio> static void ConvertPart(context, Vector r, Vector g, Vector b,
//                                                   Vector* luma, Vector* cb, Vector* cr);
//       the colour matrix: luma ready for saturation, chroma in its fixed point (5 fractional
//       bits full range, 1 studio range);
//   template <int kShift> static Vector ShiftRight(Vector);  arithmetic, kShift > 0
//   static void StoreBytes16(uint8_t*, const Vector* parts);  saturated to bytes
//   template <int kShift> static void StorePairSums8(context, uint8_t*, const Vector* parts);
//       the values of each pixel pair summed in 32 bits, shifted down, saturated to 8 bytes;
//   static void StorePairAverages8(uint8_t*, const Vector* parts);
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

// 16 B G R (A) pixels through the colour matrix. Alpha weighting pulls R, G, B towards black
// by A, exact in unsigned 16-bit lanes: full range (v (A + 1) + 128) >> 8, studio range
// ((v - 16) (A + 1) + 4224) >> 8.
template <typename V, int kBytesPerPixel, bool kStudio, AlphaWeight kWeight, typename Vector>
[[gnu::always_inline]] inline void ConvertSixteen(const KernelContext* context,
                                                  const uint8_t* source, Vector* luma, Vector* cb,
                                                  Vector* cr) {
    const auto pixels = V::template LoadPixels16<kBytesPerPixel>(source);
    for (int half = 0; half < V::kParts; ++half) {
        Vector b = V::template Channel<0>(pixels, half);
        Vector g = V::template Channel<1>(pixels, half);
        Vector r = V::template Channel<2>(pixels, half);
        if constexpr (kWeight != AlphaWeight::kNone) {
            const Vector alphaPlusOne =
                V::Add(V::template Channel<3>(pixels, half), V::ConstantRow(context, kRowAlphaAdd));
            const Vector round = V::ConstantRow(context, kRowAlphaRound);
            if constexpr (kWeight == AlphaWeight::kStudioRange) {
                const Vector black = V::ConstantRow(context, kRowAlphaBlack);
                r = V::Sub(r, black);
                g = V::Sub(g, black);
                b = V::Sub(b, black);
            }
            r = V::ScaleByAlpha(r, alphaPlusOne, round);
            g = V::ScaleByAlpha(g, alphaPlusOne, round);
            b = V::ScaleByAlpha(b, alphaPlusOne, round);
        }
        V::template ConvertPart<kStudio>(context, r, g, b, &luma[half], &cb[half], &cr[half]);
    }
}

// Y, Cb and Cr of 16 VUYA pixels (bytes Cr, Cb, Y, A), alpha-weighted towards Y 16,
// Cb = Cr = 128 when asked: Y ((Y - 16) (A + 1) + 4112) >> 8, C ((C - 128) (A + 1) + 32896)
// >> 8, unsigned lanes.
template <typename V, bool kWeighted, typename Vector>
[[gnu::always_inline]] inline void VuyaPlanes(const KernelContext* context, const uint8_t* source,
                                              Vector* luma, Vector* cb, Vector* cr) {
    const auto pixels = V::template LoadPixels16<4>(source);
    for (int half = 0; half < V::kParts; ++half) {
        cr[half] = V::template Channel<0>(pixels, half);
        cb[half] = V::template Channel<1>(pixels, half);
        luma[half] = V::template Channel<2>(pixels, half);
        if constexpr (kWeighted) {
            const Vector alphaPlusOne =
                V::Add(V::template Channel<3>(pixels, half), V::ConstantRow(context, kRowAlphaAdd));
            const Vector neutral = V::ConstantRow(context, kRowAlphaNeutral);
            const Vector chromaRound = V::ConstantRow(context, kRowAlphaChromaRound);
            luma[half] =
                V::ScaleByAlpha(V::Sub(luma[half], V::ConstantRow(context, kRowAlphaBlack)),
                                alphaPlusOne, V::ConstantRow(context, kRowAlphaRound));
            cb[half] = V::ScaleByAlpha(V::Sub(cb[half], neutral), alphaPlusOne, chromaRound);
            cr[half] = V::ScaleByAlpha(V::Sub(cr[half], neutral), alphaPlusOne, chromaRound);
        }
    }
}

// Lanes shifted right arithmetically by kShift, none for 0.
template <typename V, int kShift, typename Vector>
inline Vector ShiftedRight(Vector x) {
    if constexpr (kShift == 0) {
        return x;
    } else {
        return V::template ShiftRight<kShift>(x);
    }
}

// Y, Cb and Cr of 16 pixels of a VUYA or BGR layout.
template <typename V, ReaderVariant kVariant, typename Vector>
[[gnu::always_inline]] inline void Planes(const KernelContext* context, const uint8_t* source,
                                          Vector* luma, Vector* cb, Vector* cr) {
    constexpr RowLayout kLayout = kRowLayouts[kVariant];
    if constexpr (kLayout.pixels == PixelLayout::kVuya) {
        VuyaPlanes<V, kLayout.alphaWeighted>(context, source, luma, cb, cr);
    } else {
        ConvertSixteen<V, kLayout.bytesPerPixel, kLayout.studioRange, kAlphaWeight<kVariant>>(
            context, source, luma, cb, cr);
    }
}

// 16 pixels to 4:2:2: the chroma of each pixel pair is the rounded average (VUYA), or the sum
// of the two unshifted values shifted down once (BGR).
template <typename V, ReaderVariant kVariant>
void StripTo422(KernelContext* context) {
    constexpr RowLayout kLayout = kRowLayouts[kVariant];
    typename V::Vector luma[V::kParts], cb[V::kParts], cr[V::kParts];
    Planes<V, kVariant>(context, context->source, luma, cb, cr);
    V::StoreBytes16(context->lumaDestination, luma);
    if constexpr (kLayout.pixels == PixelLayout::kVuya) {
        V::StorePairAverages8(context->cbDestination, cb);
        V::StorePairAverages8(context->crDestination, cr);
    } else {
        constexpr int kPairShift = kLayout.studioRange ? 2 : 6;
        V::template StorePairSums8<kPairShift>(context, context->cbDestination, cb);
        V::template StorePairSums8<kPairShift>(context, context->crDestination, cr);
    }
}

// A row of pixelCount pixels to 4:4:4.
template <typename V, ReaderVariant kVariant>
void RowTo444(KernelContext* context) {
    constexpr RowLayout kLayout = kRowLayouts[kVariant];
    constexpr int kShift = kLayout.pixels == PixelLayout::kVuya ? 0 : kLayout.studioRange ? 1 : 5;
    for (int step = 0; step < context->pixelCount / 16; ++step) {
        typename V::Vector luma[V::kParts], cb[V::kParts], cr[V::kParts];
        Planes<V, kVariant>(context, context->source + 16 * kLayout.bytesPerPixel * step, luma, cb,
                            cr);
        for (int part = 0; part < V::kParts; ++part) {
            cb[part] = ShiftedRight<V, kShift>(cb[part]);
            cr[part] = ShiftedRight<V, kShift>(cr[part]);
        }
        V::StoreBytes16(context->lumaDestination + 16 * step, luma);
        V::StoreBytes16(context->cbDestination + 16 * step, cb);
        V::StoreBytes16(context->crDestination + 16 * step, cr);
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
    row_kernels_tmpl::SetEveryLayout<V>(kernels, std::make_index_sequence<kPackedVariantCount>());
}

}  // namespace encdv

#endif
