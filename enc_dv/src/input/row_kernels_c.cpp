// The row kernels in plain integers, pixel by pixel, with the colour constants read from the
// context like the vector kernels read them: the reference for the vector versions.
#include <algorithm>
#include <cstddef>
#include <utility>

#include "input/row_kernels.h"

namespace encdv {

namespace {

int Saturate8(int v) {
    return std::min(255, std::max(0, v));
}

// floor(a * b / 65536): the upper half of a signed 16x16-bit product.
int MultiplyHigh(int a, int b) {
    return (a * b) >> 16;
}

// Lane `lane` of constant row `row`, as a signed or as an unsigned 16-bit number.
int Constant(const KernelContext* context, int row, int lane = 0) {
    return context->conversionConstants[row][lane];
}
int UnsignedConstant(const KernelContext* context, int row) {
    return static_cast<uint16_t>(context->conversionConstants[row][0]);
}

// The layout's description, by variant (kRowLayouts).
constexpr int BytesPerPixel(ReaderVariant v) {
    return kRowLayouts[v].bytesPerPixel;
}
constexpr bool IsStudio(ReaderVariant v) {
    return kRowLayouts[v].studioRange;
}
constexpr bool IsWeighted(ReaderVariant v) {
    return kRowLayouts[v].alphaWeighted;
}
constexpr bool IsVuya(ReaderVariant v) {
    return kRowLayouts[v].pixels == PixelLayout::kVuya;
}

// ---------------------------------------------------------------------------------------------
// 4:2:2 layouts: pure reordering. YUY2: Y0 Cb Y1 Cr; UYVY: Cb Y0 Cr Y1.

template <bool kLumaFirst>
void Reorder(const uint8_t* source, int pixels, uint8_t* luma, uint8_t* cb, uint8_t* cr) {
    for (int i = 0; i < pixels / 2; ++i) {
        const uint8_t* pair = source + 4 * i;
        luma[2 * i] = kLumaFirst ? pair[0] : pair[1];
        luma[2 * i + 1] = kLumaFirst ? pair[2] : pair[3];
        cb[i] = kLumaFirst ? pair[1] : pair[0];
        cr[i] = kLumaFirst ? pair[3] : pair[2];
    }
}

template <bool kLumaFirst>
void StripTo422Packed(KernelContext* context) {
    Reorder<kLumaFirst>(context->source, 16, context->lumaDestination, context->cbDestination,
                        context->crDestination);
}

template <bool kLumaFirst>
void RowTo422Packed(KernelContext* context) {
    Reorder<kLumaFirst>(context->source, context->pixelCount, context->lumaDestination,
                        context->cbDestination, context->crDestination);
}

// ---------------------------------------------------------------------------------------------
// RGB and VUYA layouts.

// A pixel after alpha weighting: R, G, B for the RGB layouts, final Y, Cb, Cr for VUYA.
struct Samples {
    int first, second, third;
};

// Alpha weighting pulls R, G, B towards black: full range (v (A + 1) + 128) >> 8, studio
// range ((v - 16) (A + 1) + 4224) >> 8; VUYA towards Y 16, Cb = Cr = 128.
template <ReaderVariant V>
Samples LoadPixel(const KernelContext* context, const uint8_t* p) {
    if constexpr (IsVuya(V)) {
        Samples s{p[2], p[1], p[0]};
        if constexpr (IsWeighted(V)) {
            const int alpha = p[3] + Constant(context, kRowAlphaAdd);
            const int neutral = Constant(context, kRowAlphaNeutral);
            const int chromaRound = UnsignedConstant(context, kRowAlphaChromaRound);
            s.first = ((s.first - Constant(context, kRowAlphaBlack)) * alpha +
                       Constant(context, kRowAlphaRound)) >>
                      8;
            s.second = ((s.second - neutral) * alpha + chromaRound) >> 8;
            s.third = ((s.third - neutral) * alpha + chromaRound) >> 8;
        }
        return s;
    } else {
        Samples s{p[2], p[1], p[0]};
        if constexpr (IsWeighted(V)) {
            const int alpha = p[3] + Constant(context, kRowAlphaAdd);
            const int black = IsStudio(V) ? Constant(context, kRowAlphaBlack) : 0;
            const int round = Constant(context, kRowAlphaRound);
            s.first = ((s.first - black) * alpha + round) >> 8;
            s.second = ((s.second - black) * alpha + round) >> 8;
            s.third = ((s.third - black) * alpha + round) >> 8;
        }
        return s;
    }
}

// Luma byte and the chroma values before their final shift (5 fractional bits full range,
// 1 studio range).
struct Converted {
    int luma, cb, cr;
};

template <ReaderVariant V>
Converted ConvertPixel(const KernelContext* context, const Samples& s) {
    const int r = s.first, g = s.second, b = s.third;
    const int luma =
        (Constant(context, kRowLumaWeightsRB, 0) * r + Constant(context, kRowLumaWeightsRB, 1) * b +
         Constant(context, kRowLumaWeightGRound, 0) * g +
         Constant(context, kRowLumaWeightGRound, 1)) >>
        15;
    const int cbScale = Constant(context, kRowCbScale);
    const int crScale = Constant(context, kRowCrScale);
    const int offset = Constant(context, kRowChromaOffset);
    if constexpr (IsStudio(V)) {
        return {Saturate8(luma), MultiplyHigh((b - luma) * 4, cbScale) + offset,
                MultiplyHigh((r - luma) * 4, crScale) + offset};
    } else {
        // Luma back to full range, 7 fractional bits, for the colour differences.
        const int fullLuma =
            luma * 128 + MultiplyHigh(luma * 128, Constant(context, kRowLumaExpand));
        return {Saturate8(luma + Constant(context, kRowLumaOffset)),
                MultiplyHigh(b * 128 - fullLuma, cbScale) + offset,
                MultiplyHigh(r * 128 - fullLuma, crScale) + offset};
    }
}

template <ReaderVariant V>
void RowTo444(KernelContext* context) {
    constexpr int kShift = IsStudio(V) ? 1 : 5;
    for (int i = 0; i < context->pixelCount; ++i) {
        const Samples s = LoadPixel<V>(context, context->source + i * BytesPerPixel(V));
        if constexpr (IsVuya(V)) {
            context->lumaDestination[i] = static_cast<uint8_t>(s.first);
            context->cbDestination[i] = static_cast<uint8_t>(s.second);
            context->crDestination[i] = static_cast<uint8_t>(s.third);
        } else {
            const Converted c = ConvertPixel<V>(context, s);
            context->lumaDestination[i] = static_cast<uint8_t>(c.luma);
            context->cbDestination[i] = static_cast<uint8_t>(Saturate8(c.cb >> kShift));
            context->crDestination[i] = static_cast<uint8_t>(Saturate8(c.cr >> kShift));
        }
    }
}

// Chroma of each pixel pair: the rounded average (VUYA), or the sum of the two unshifted
// values shifted down once (RGB).
template <ReaderVariant V>
void StripTo422(KernelContext* context) {
    constexpr int kPairShift = IsStudio(V) ? 2 : 6;
    for (int i = 0; i < 8; ++i) {
        const uint8_t* pair = context->source + 2 * i * BytesPerPixel(V);
        const Samples s0 = LoadPixel<V>(context, pair);
        const Samples s1 = LoadPixel<V>(context, pair + BytesPerPixel(V));
        int luma0, luma1, cb, cr;
        if constexpr (IsVuya(V)) {
            luma0 = s0.first, luma1 = s1.first;
            cb = (s0.second + s1.second + 1) >> 1;
            cr = (s0.third + s1.third + 1) >> 1;
        } else {
            const Converted c0 = ConvertPixel<V>(context, s0);
            const Converted c1 = ConvertPixel<V>(context, s1);
            luma0 = c0.luma, luma1 = c1.luma;
            cb = Saturate8((c0.cb + c1.cb) >> kPairShift);
            cr = Saturate8((c0.cr + c1.cr) >> kPairShift);
        }
        context->lumaDestination[2 * i] = static_cast<uint8_t>(luma0);
        context->lumaDestination[2 * i + 1] = static_cast<uint8_t>(luma1);
        context->cbDestination[i] = static_cast<uint8_t>(cb);
        context->crDestination[i] = static_cast<uint8_t>(cr);
    }
}

template <ReaderVariant V>
constexpr RowKernels KernelsOf() {
    constexpr RowLayout kLayout = kRowLayouts[V];
    if constexpr (kLayout.pixels == PixelLayout::kPacked422) {
        return {RowTo422Packed<kLayout.lumaFirst>, StripTo422Packed<kLayout.lumaFirst>, nullptr};
    } else {
        return {nullptr, StripTo422<V>, RowTo444<V>};
    }
}

template <std::size_t... I>
void SetEveryLayout(RowKernelTable& kernels, std::index_sequence<I...>) {
    ((kernels[I] = KernelsOf<static_cast<ReaderVariant>(I)>()), ...);
}

}  // namespace

void SetRowKernels_C(RowKernelTable& kernels) {
    SetEveryLayout(kernels, std::make_index_sequence<kPackedVariantCount>());
}

}  // namespace encdv
