#ifndef ENC_DV_TRANSFORM_FORWARD_DCT_TMPL_H
#define ENC_DV_TRANSFORM_FORWARD_DCT_TMPL_H

// The part of the vector forward DCTs that does not depend on the instruction set: the
// flowgraph, one register per line (or column) of the block, and the order of the passes.
// Included by each instruction set's DCT file and compiled with its flags. Every function
// here is a template over that file's primitives V (a type in its unnamed namespace), so that
// no copy is shared with an object built with other flags. V provides, with Vector eight
// signed 16-bit lanes:
//   static Constants LoadConstants();  the flowgraph constants (DctVectorConstants) in the
//       form RoundMul takes them, as members tan2, cos4, sin2x2 and secant2;
//   static Vector Add(Vector, Vector), Sub(Vector, Vector);  16-bit lanes, wrapping;
//   template <int S> static Vector RoundMul(Vector x, constant);  the flowgraph multiply;
//   static void LoadRows(const uint8_t* samples, Vector rows[8]);  widened to 16 bits;
//   static void Transpose(Vector x[8]);
//   static void ScaleAndStore(CoefficientWord* T, const Vector x[8], const OutputScaleTable&);
//       the output stage, register h to T[8h .. 8h + 7].
// Two blocks at once (ForwardDctPair) take a V whose Vector holds sixteen lanes, block 0 in
// lanes 0-7 and block 1 in lanes 8-15, the operations above working on both halves alike
// (Transpose on each half), and instead of LoadRows and ScaleAndStore:
//   static void LoadRowPair(const uint8_t* samples0, const uint8_t* samples1, Vector rows[8]);
//   static void ScaleAndStorePair(CoefficientWord* T0, CoefficientWord* T1, const Vector x[8],
//                                 const OutputScaleTable& table0, const OutputScaleTable& table1);
//   template <bool kSecondHigh> static Vector TakeHigh(Vector first, Vector second);
//       lanes 0-7 of first and 8-15 of second if kSecondHigh, else the other way round.

#include "transform/transform_kernels.h"

namespace encdv {

namespace forward_dct_tmpl {

// Eight-point butterfly on x[0..7], in place: x[n] becomes frequency n, scaled by the gains
// 1, 2 cos(n pi/16) (even n) and 2 cos(n pi/16) / cos(2 pi/16) (odd n).
template <typename V, typename Vector, typename Constants>
inline void EightPointStep(Vector x[8], const Constants& k) {
    const Vector a0 = V::Add(x[0], x[7]), a7 = V::Sub(x[0], x[7]);
    const Vector a1 = V::Add(x[1], x[6]), a6 = V::Sub(x[1], x[6]);
    const Vector a2 = V::Add(x[2], x[5]), a5 = V::Sub(x[2], x[5]);
    const Vector a3 = V::Add(x[3], x[4]), a4 = V::Sub(x[3], x[4]);

    const Vector b0 = V::Add(a0, a3), b3 = V::Sub(a0, a3);
    const Vector b1 = V::Add(a1, a2), b2 = V::Sub(a1, a2);
    const Vector z = V::template RoundMul<2>(V::Add(b2, b3), k.cos4);
    x[0] = V::Add(b0, b1);
    x[4] = V::Sub(b0, b1);
    x[2] = V::Add(b3, z);
    x[6] = V::Sub(b3, z);

    const Vector p = V::Add(a4, a5), q = V::Add(a5, a6), r = V::Add(a6, a7);
    const Vector m1 = V::template RoundMul<2>(q, k.sin2x2);
    const Vector m2 = V::template RoundMul<3>(a7, k.secant2);
    const Vector e = V::Add(m2, m1), f = V::Sub(m2, m1);
    const Vector g = V::Add(r, V::template RoundMul<1>(p, k.tan2));
    const Vector h = V::Sub(p, V::template RoundMul<1>(r, k.tan2));
    x[1] = V::Add(e, g);
    x[7] = V::Sub(e, g);
    x[3] = V::Sub(f, h);
    x[5] = V::Add(f, h);
}

// Four-point step on the line pair sums (or differences) s0..s3: S0, S1, S2, S3 into out[0],
// out[2], out[4], out[6], scaled by the gains 1, sqrt2 / cos(2 pi/16), sqrt2,
// sqrt2 / cos(2 pi/16).
template <typename V, typename Vector, typename Constants>
inline void FourPointStep(Vector s0, Vector s1, Vector s2, Vector s3, Vector* out,
                          const Constants& k) {
    const Vector e0 = V::Add(s0, s3), e1 = V::Sub(s0, s3);
    const Vector e2 = V::Add(s1, s2), e3 = V::Sub(s2, s1);
    const Vector p = V::Add(e1, e3), q = V::Sub(e1, e3);
    out[0] = V::Add(e0, e2);
    out[4] = V::Sub(e0, e2);
    out[2] = V::Add(q, V::template RoundMul<1>(p, k.tan2));
    out[6] = V::Sub(p, V::template RoundMul<1>(q, k.tan2));
}

// Vertical pass of the 2-4-8 DCT: rows become S0, D0, S1, D1, S2, D2, S3, D3.
template <typename V, typename Vector, typename Constants>
inline void FourPointPairStep(Vector x[8], const Constants& k) {
    const Vector s0 = V::Add(x[0], x[1]), d0 = V::Sub(x[0], x[1]);
    const Vector s1 = V::Add(x[2], x[3]), d1 = V::Sub(x[2], x[3]);
    const Vector s2 = V::Add(x[4], x[5]), d2 = V::Sub(x[4], x[5]);
    const Vector s3 = V::Add(x[6], x[7]), d3 = V::Sub(x[6], x[7]);
    FourPointStep<V>(s0, s1, s2, s3, x, k);
    FourPointStep<V>(d0, d1, d2, d3, x + 1, k);
}

template <typename V>
void ForwardDct88(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    const auto k = V::LoadConstants();
    typename V::Vector x[8];
    V::LoadRows(samples, x);
    EightPointStep<V>(x, k);  // rows: vertical frequency v, lanes: columns
    V::Transpose(x);          // registers: columns, lanes: v
    EightPointStep<V>(x, k);  // registers: horizontal frequency h, lanes: v
    V::ScaleAndStore(T, x, table);
}

template <typename V>
void ForwardDct248(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    const auto k = V::LoadConstants();
    typename V::Vector x[8];
    V::LoadRows(samples, x);
    FourPointPairStep<V>(x, k);  // rows: 2u + d, lanes: columns
    V::Transpose(x);             // registers: columns, lanes: 2u + d
    EightPointStep<V>(x, k);     // registers: horizontal frequency h, lanes: 2u + d
    V::ScaleAndStore(T, x, table);
}

// Two blocks through the single-block kernels.
template <typename V, int M0, int M1>
void PairOfSingles(CoefficientWord* T0, CoefficientWord* T1, const uint8_t* samples0,
                   const uint8_t* samples1, const OutputScaleTable& table0,
                   const OutputScaleTable& table1) {
    (M0 == 0 ? ForwardDct88<V> : ForwardDct248<V>)(T0, samples0, table0);
    (M1 == 0 ? ForwardDct88<V> : ForwardDct248<V>)(T1, samples1, table1);
}

// The vertical pass of block 0 in mode M0 (lanes 0-7) and block 1 in mode M1 (lanes 8-15):
// where the modes differ, both passes on both halves, each half taken from its own.
template <typename V, int M0, int M1, typename Vector, typename Constants>
inline void VerticalPair(Vector x[8], const Constants& k) {
    if constexpr (M0 == M1) {
        if constexpr (M0 == 0) {
            EightPointStep<V>(x, k);
        } else {
            FourPointPairStep<V>(x, k);
        }
    } else {
        Vector y[8];
        for (int i = 0; i < 8; ++i) y[i] = x[i];
        EightPointStep<V>(x, k);
        FourPointPairStep<V>(y, k);
        for (int i = 0; i < 8; ++i) x[i] = V::template TakeHigh<M0 == 0>(x[i], y[i]);
    }
}

template <typename V, int M0, int M1>
void ForwardDctPair(CoefficientWord* T0, CoefficientWord* T1, const uint8_t* samples0,
                    const uint8_t* samples1, const OutputScaleTable& table0,
                    const OutputScaleTable& table1) {
    const auto k = V::LoadConstants();
    typename V::Vector x[8];
    V::LoadRowPair(samples0, samples1, x);
    VerticalPair<V, M0, M1>(x, k);
    V::Transpose(x);
    EightPointStep<V>(x, k);
    V::ScaleAndStorePair(T0, T1, x, table0, table1);
}

}  // namespace forward_dct_tmpl

// Fills the forward DCT entries of `kernels` with V's, the pairs as two single blocks.
template <typename V>
void SetForwardDctKernels(TransformKernels& kernels) {
    kernels.forwardDct[0] = forward_dct_tmpl::ForwardDct88<V>;
    kernels.forwardDct[1] = forward_dct_tmpl::ForwardDct248<V>;
    kernels.forwardDctPair[0][0] = forward_dct_tmpl::PairOfSingles<V, 0, 0>;
    kernels.forwardDctPair[0][1] = forward_dct_tmpl::PairOfSingles<V, 0, 1>;
    kernels.forwardDctPair[1][0] = forward_dct_tmpl::PairOfSingles<V, 1, 0>;
    kernels.forwardDctPair[1][1] = forward_dct_tmpl::PairOfSingles<V, 1, 1>;
}

// Fills the pair entries of `kernels` with V's two-block kernels.
template <typename V>
void SetForwardDctPairKernels(TransformKernels& kernels) {
    kernels.forwardDctPair[0][0] = forward_dct_tmpl::ForwardDctPair<V, 0, 0>;
    kernels.forwardDctPair[0][1] = forward_dct_tmpl::ForwardDctPair<V, 0, 1>;
    kernels.forwardDctPair[1][0] = forward_dct_tmpl::ForwardDctPair<V, 1, 0>;
    kernels.forwardDctPair[1][1] = forward_dct_tmpl::ForwardDctPair<V, 1, 1>;
}

}  // namespace encdv

#endif
