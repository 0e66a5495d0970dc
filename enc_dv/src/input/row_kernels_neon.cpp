// The row kernels in NEON: 16 pixels per step, colour arithmetic in 16-bit lanes with the
// same fixed point, products and saturations as the other kernels.
#include <arm_neon.h>

#include "input/packed_422_neon.h"
#include "input/row_kernels.h"
#include "input/row_kernels_tmpl.h"

namespace encdv {

namespace {

// Row `row` of the context's colour constants.
inline int16x8_t ConstantVector(const KernelContext* context, int row) {
    return vld1q_s16(context->conversionConstants[row]);
}

// High half of the signed 32-bit products of eight lane pairs.
inline int16x8_t MulHigh(int16x8_t a, int16x8_t b) {
    const int16x4_t low = vshrn_n_s32(vmull_s16(vget_low_s16(a), vget_low_s16(b)), 16);
    return vshrn_high_n_s32(low, vmull_high_s16(a, b), 16);
}

// Signed products of lane pairs 2i and 2i + 1 summed into 32-bit lane i (wrapping).
inline int32x4_t MulAddPairs(int16x8_t a, int16x8_t b) {
    return vpaddq_s32(vmull_s16(vget_low_s16(a), vget_low_s16(b)), vmull_high_s16(a, b));
}

// Signed 16-bit lanes saturated to bytes, 16 of them.
inline uint8x16_t SaturateBytes(int16x8_t first8, int16x8_t last8) {
    return vcombine_u8(vqmovun_s16(first8), vqmovun_s16(last8));
}

// Lanes of a byte register widened: pixels 0-7 and pixels 8-15.
inline int16x8_t WidenFirst(uint8x16_t bytes) {
    return vreinterpretq_s16_u16(vmovl_u8(vget_low_u8(bytes)));
}
inline int16x8_t WidenLast(uint8x16_t bytes) {
    return vreinterpretq_s16_u16(vmovl_high_u8(bytes));
}

// 24- and 32-bit layouts: 16 pixels de-interleaved into one register per byte of the pixel.
// Exactly 48 or 64 source bytes are read.

// Chroma of pixel pairs: the two wide values summed in 32 bits, then shifted down.
template <int kShift>
inline uint8x8_t PairSumBytes(const KernelContext* context, int16x8_t first8, int16x8_t last8) {
    const int16x8_t ones = ConstantVector(context, kRowOne);
    const int16x8_t words = vcombine_s16(vqmovn_s32(vshrq_n_s32(MulAddPairs(first8, ones), kShift)),
                                         vqmovn_s32(vshrq_n_s32(MulAddPairs(last8, ones), kShift)));
    return vqmovun_s16(words);
}

// Rounded average (a + b + 1) >> 1 of the samples of each pixel pair, as bytes. The samples
// are unsigned 16-bit lanes; averages above 255 saturate.
inline uint8x8_t PairAverageBytes(int16x8_t first8, int16x8_t last8) {
    const uint16x8_t a = vreinterpretq_u16_s16(first8), b = vreinterpretq_u16_s16(last8);
    return vqmovn_u16(vrhaddq_u16(vuzp1q_u16(a, b), vuzp2q_u16(a, b)));
}

// The primitives of the row kernels (row_kernels_tmpl.h).
struct Rows {
    using Vector = int16x8_t;
    static constexpr int kParts = 2;

    // 4:2:2 layouts: pure reordering of 16 pixels (32 bytes).
    template <bool kLumaFirst>  // YUY2: Y0 Cb Y1 Cr; UYVY: Cb Y0 Cr Y1
    static void Reorder16(const uint8_t* source, uint8_t* luma, uint8_t* cb, uint8_t* cr) {
        uint8x8_t cbBytes, crBytes;
        vst1q_u8(luma, SplitPacked422<kLumaFirst>(source, &cbBytes, &crBytes));
        vst1_u8(cb, cbBytes);
        vst1_u8(cr, crBytes);
    }

    template <int kBytesPerPixel>
    static auto LoadPixels16(const uint8_t* source) {
        if constexpr (kBytesPerPixel == 4) {
            return vld4q_u8(source);
        } else {
            return vld3q_u8(source);
        }
    }

    template <int kByte, typename Pixels>
    static int16x8_t Channel(const Pixels& pixels, int half) {
        return half == 0 ? WidenFirst(pixels.val[kByte]) : WidenLast(pixels.val[kByte]);
    }

    static int16x8_t ConstantRow(const KernelContext* context, int row) {
        return ConstantVector(context, row);
    }
    static int16x8_t Add(int16x8_t a, int16x8_t b) { return vaddq_s16(a, b); }
    static int16x8_t Sub(int16x8_t a, int16x8_t b) { return vsubq_s16(a, b); }

    static int16x8_t ScaleByAlpha(int16x8_t value, int16x8_t alphaPlusOne, int16x8_t round) {
        const uint16x8_t scaled =
            vreinterpretq_u16_s16(vaddq_s16(vmulq_s16(value, alphaPlusOne), round));
        return vreinterpretq_s16_u16(vshrq_n_u16(scaled, 8));
    }

    // Colour matrix of eight pixels. Returns luma ready for saturation and the chroma values
    // in their fixed point (5 fractional bits full range, 1 studio range), not yet shifted
    // down.
    template <bool kStudio>
    static void ConvertPart(const KernelContext* context, int16x8_t r, int16x8_t g, int16x8_t b,
                            int16x8_t* luma, int16x8_t* cb, int16x8_t* cr) {
        const int16x8_t weightsRB = ConstantRow(context, kRowLumaWeightsRB);
        const int16x8_t ones = ConstantRow(context, kRowOne);
        const int16x8_t weightGRound = ConstantRow(context, kRowLumaWeightGRound);
        // 32-bit luma sums: weighted R and B as one pair, weighted G plus rounding term as the
        // other.
        const int32x4_t sumLow = vaddq_s32(MulAddPairs(vzip1q_s16(r, b), weightsRB),
                                           MulAddPairs(vzip1q_s16(g, ones), weightGRound));
        const int32x4_t sumHigh = vaddq_s32(MulAddPairs(vzip2q_s16(r, b), weightsRB),
                                            MulAddPairs(vzip2q_s16(g, ones), weightGRound));
        const int16x8_t lumaRaw = vcombine_s16(vqshrn_n_s32(sumLow, 15), vqshrn_n_s32(sumHigh, 15));
        const int16x8_t cbScale = ConstantRow(context, kRowCbScale);
        const int16x8_t crScale = ConstantRow(context, kRowCrScale);
        const int16x8_t chromaOffset = ConstantRow(context, kRowChromaOffset);
        if constexpr (kStudio) {
            *luma = lumaRaw;
            *cb = vaddq_s16(MulHigh(vshlq_n_s16(vsubq_s16(b, lumaRaw), 2), cbScale), chromaOffset);
            *cr = vaddq_s16(MulHigh(vshlq_n_s16(vsubq_s16(r, lumaRaw), 2), crScale), chromaOffset);
        } else {
            // Luma back to full range, 7 fractional bits, for the colour differences.
            const int16x8_t luma7 = vshlq_n_s16(lumaRaw, 7);
            const int16x8_t fullLuma =
                vaddq_s16(luma7, MulHigh(luma7, ConstantRow(context, kRowLumaExpand)));
            *luma = vaddq_s16(lumaRaw, ConstantRow(context, kRowLumaOffset));
            *cb = vaddq_s16(MulHigh(vsubq_s16(vshlq_n_s16(b, 7), fullLuma), cbScale), chromaOffset);
            *cr = vaddq_s16(MulHigh(vsubq_s16(vshlq_n_s16(r, 7), fullLuma), crScale), chromaOffset);
        }
    }

    template <int kShift>
    static int16x8_t ShiftRight(int16x8_t x) {
        return vshrq_n_s16(x, kShift);
    }

    static void StoreBytes16(uint8_t* p, const int16x8_t* parts) {
        vst1q_u8(p, SaturateBytes(parts[0], parts[1]));
    }

    template <int kShift>
    static void StorePairSums8(const KernelContext* context, uint8_t* p, const int16x8_t* parts) {
        vst1_u8(p, PairSumBytes<kShift>(context, parts[0], parts[1]));
    }

    static void StorePairAverages8(uint8_t* p, const int16x8_t* parts) {
        vst1_u8(p, PairAverageBytes(parts[0], parts[1]));
    }
};

}  // namespace

void SetRowKernels_NEON(RowKernelTable& kernels) {
    SetRowKernels<Rows>(kernels);
}

}  // namespace encdv
