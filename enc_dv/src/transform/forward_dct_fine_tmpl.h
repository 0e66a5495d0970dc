#ifndef ENC_DV_TRANSFORM_FORWARD_DCT_FINE_TMPL_H
#define ENC_DV_TRANSFORM_FORWARD_DCT_FINE_TMPL_H

// The part of the vector fine DCTs that does not depend on the instruction set: the vertical
// pass, one register per row, and the order of the steps. Included by each instruction set's
// fine DCT file and compiled with its flags. Every function here is a template over that
// file's primitives V (a type in its unnamed namespace), so that no copy is shared with an
// object built with other flags. V provides, with Vector eight signed 16-bit lanes (the
// primitives before Outputs only where its Transform runs FineVertical, one row per vector):
//   static Vector Add(Vector, Vector), Sub(Vector, Vector), Splat(int16_t);
//   static Vector Times16(Vector);  each lane shifted left by 4
//   static Vector Dot2(Vector x, Vector y, int a, int b);
//       round((a x + b y) / 2^kFineVerticalShift) per lane, sums in 32 bits;
//   static Vector Dot4(const Vector x[4], int a, int b, int c, int d);
//       round((a x0 + b x1 + c x2 + d x3) / 2^kFineVerticalShift) per lane;
//   Outputs, and template <int Mode>:
//   static void Transform(const uint8_t* samples, Outputs& out);
//       the lines, Vertical<V, Mode>, the horizontal pass: the 64 outputs in eighths;
//   static void ScanWithSignWords(const Outputs&, uint16_t* magnitudes, CoefficientWord*);
//   static uint64_t ScanWithSignBits(const Outputs&, uint16_t* magnitudes);
//       the outputs in scan order as a ForwardDctFineKernel or ForwardDctFineSignsKernel
//       writes them;
//   static int SampleSum(const uint8_t* samples).

#include "transform/forward_dct_fine.h"
#include "transform/transform_kernels.h"

namespace encdv {

namespace forward_dct_fine_tmpl {

// The four-point DCT of one half (y = line pair sums or differences) into rows d, 2 + d,
// 4 + d, 6 + d; `shift` is the level shift of the sum half's u = 0 row.
template <typename V, typename Vector>
inline void FourPoint(Vector y0, Vector y1, Vector y2, Vector y3, int16_t shift, Vector* rows) {
    constexpr const int16_t* k = kFineVerticalBasis;
    const Vector a0 = V::Add(y0, y3), a1 = V::Add(y1, y2);
    const Vector b0 = V::Sub(y0, y3), b1 = V::Sub(y1, y2);
    rows[0] = V::Times16(V::Sub(V::Add(a0, a1), V::Splat(shift)));
    rows[4] = V::Times16(V::Sub(a0, a1));
    rows[2] = V::Dot2(b0, b1, k[2], k[6]);
    rows[6] = V::Dot2(b0, b1, k[6], -k[2]);
}

// The vertical pass of the 8-8 DCT, from the sums and differences of lines i and 7 - i.
template <typename V, typename Vector>
inline void Vertical88(const Vector x[8], Vector rows[8]) {
    constexpr const int16_t* k = kFineVerticalBasis;
    const Vector s[4] = {V::Add(x[0], x[7]), V::Add(x[1], x[6]), V::Add(x[2], x[5]),
                         V::Add(x[3], x[4])};
    const Vector d[4] = {V::Sub(x[0], x[7]), V::Sub(x[1], x[6]), V::Sub(x[2], x[5]),
                         V::Sub(x[3], x[4])};
    // The even rows are the four-point DCT of the sums, with the bases of the 2-4-8 halves.
    Vector even[8];
    FourPoint<V>(s[0], s[1], s[2], s[3], 1024, even);
    rows[0] = even[0];
    rows[2] = even[2];
    rows[4] = even[4];
    rows[6] = even[6];
    rows[1] = V::Dot4(d, k[1], k[3], k[5], k[7]);
    rows[3] = V::Dot4(d, k[3], -k[7], -k[1], -k[5]);
    rows[5] = V::Dot4(d, k[5], -k[1], k[7], k[3]);
    rows[7] = V::Dot4(d, k[7], -k[5], k[3], -k[1]);
}

// The vertical pass of the 2-4-8 DCT, from the sums and differences of the line pairs.
template <typename V, typename Vector>
inline void Vertical248(const Vector x[8], Vector rows[8]) {
    Vector s[4], d[4];
    for (int z = 0; z < 4; ++z) {
        s[z] = V::Add(x[2 * z], x[2 * z + 1]);
        d[z] = V::Sub(x[2 * z], x[2 * z + 1]);
    }
    Vector sums[8], differences[8];
    FourPoint<V>(s[0], s[1], s[2], s[3], 1024, sums);
    FourPoint<V>(d[0], d[1], d[2], d[3], 0, differences);
    for (int u = 0; u < 4; ++u) {
        rows[2 * u] = sums[2 * u];
        rows[2 * u + 1] = differences[2 * u];
    }
}

template <typename V, int Mode>
int WithSignWords(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords) {
    typename V::Outputs out;
    V::template Transform<Mode>(samples, out);
    V::template ScanWithSignWords<Mode>(out, magnitudes, signWords);
    return V::SampleSum(samples);
}

template <typename V, int Mode>
uint64_t WithSignBits(const uint8_t* samples, uint16_t* magnitudes) {
    typename V::Outputs out;
    V::template Transform<Mode>(samples, out);
    return V::template ScanWithSignBits<Mode>(out, magnitudes);
}

}  // namespace forward_dct_fine_tmpl

// The vertical pass of DCT mode Mode (0 = 8-8, 1 = 2-4-8): rows (lanes: columns) from the
// block's lines widened to 16 bits.
template <typename V, int Mode, typename Vector>
inline void FineVertical(const Vector x[8], Vector rows[8]) {
    if constexpr (Mode == 0) {
        forward_dct_fine_tmpl::Vertical88<V>(x, rows);
    } else {
        forward_dct_fine_tmpl::Vertical248<V>(x, rows);
    }
}

// Fills the fine DCT entries of `kernels` with V's.
template <typename V>
void SetForwardDctFineKernels(TransformKernels& kernels) {
    kernels.forwardDctFine[0] = forward_dct_fine_tmpl::WithSignWords<V, 0>;
    kernels.forwardDctFine[1] = forward_dct_fine_tmpl::WithSignWords<V, 1>;
    kernels.forwardDctFineSigns[0] = forward_dct_fine_tmpl::WithSignBits<V, 0>;
    kernels.forwardDctFineSigns[1] = forward_dct_fine_tmpl::WithSignBits<V, 1>;
}

}  // namespace encdv

#endif
