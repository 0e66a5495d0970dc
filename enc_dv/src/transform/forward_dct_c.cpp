// The forward DCTs in plain integers, straight from the flowgraph: intermediates are full-width
// ints, so where a vector kernel wrapped a 16-bit lane it would disagree with these.
#include <cstdlib>

#include "transform/forward_dct.h"
#include "transform/transform_kernels.h"

namespace encdv {

namespace {

// Right shifts of negative numbers are arithmetic (floor division by the power of two) on
// every compiler the library is built with.

// (floor(x * 2^s * c / 65536) + 1) >> 1.
int RoundMul(int x, int c, int s) {
    const int64_t scaled = int64_t{x} * c * (int64_t{1} << s);
    return static_cast<int>(((scaled >> 16) + 1) >> 1);
}

// floor((|x| + bias) * multiplier / 65536) with bit 15 set for a negative x.
uint16_t OutputStage(int x, int multiplier, int bias) {
    const int magnitude = std::abs(x);
    const int scaled = static_cast<int>((int64_t{magnitude + bias} * multiplier) >> 16);
    return static_cast<uint16_t>(scaled | (x < 0 ? 0x8000 : 0));
}

// The eight-point flowgraph, step by step.
void EightPoint(const int x[8], int y[8]) {
    const int a0 = x[0] + x[7], a7 = x[0] - x[7];
    const int a1 = x[1] + x[6], a6 = x[1] - x[6];
    const int a2 = x[2] + x[5], a5 = x[2] - x[5];
    const int a3 = x[3] + x[4], a4 = x[3] - x[4];
    const int b0 = a0 + a3, b3 = a0 - a3, b1 = a1 + a2, b2 = a1 - a2;
    y[0] = b0 + b1;
    y[4] = b0 - b1;
    const int z = RoundMul(b2 + b3, 23170, 2);
    y[2] = b3 + z;
    y[6] = b3 - z;
    const int p = a4 + a5, q = a5 + a6, r = a6 + a7;
    const int m1 = RoundMul(q, 25080, 2), m2 = RoundMul(a7, 17734, 3);
    const int e = m2 + m1, f = m2 - m1;
    const int g = r + RoundMul(p, 27146, 1);
    const int k = p - RoundMul(r, 27146, 1);
    y[1] = e + g;
    y[7] = e - g;
    y[3] = f - k;
    y[5] = f + k;
}

// The four-point step on s0-s3, giving S0-S3.
void FourPoint(const int s[4], int out[4]) {
    const int e0 = s[0] + s[3], e1 = s[0] - s[3], e2 = s[1] + s[2], e3 = s[2] - s[1];
    out[0] = e0 + e2;
    out[2] = e0 - e2;
    const int p = e1 + e3, q = e1 - e3;
    out[1] = q + RoundMul(p, 27146, 1);
    out[3] = p - RoundMul(q, 27146, 1);
}

// Horizontal pass on vertical results V[row][column], then the output stage:
// T[8h + row] for horizontal frequency h.
void HorizontalAndScale(const int V[8][8], uint16_t T[64], const OutputScaleTable& table) {
    for (int row = 0; row < 8; ++row) {
        int y[8];
        EightPoint(V[row], y);
        for (int h = 0; h < 8; ++h) {
            const int k = 8 * h + row;
            T[k] = OutputStage(y[h], table.multiplier[k], table.bias[k]);
        }
    }
}

}  // namespace

void ForwardDct88_C(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    int V[8][8];  // V[v][column]
    for (int c = 0; c < 8; ++c) {
        int column[8], y[8];
        for (int l = 0; l < 8; ++l) column[l] = samples[8 * l + c];
        EightPoint(column, y);
        for (int v = 0; v < 8; ++v) V[v][c] = y[v];
    }
    HorizontalAndScale(V, T, table);
}

void ForwardDct248_C(CoefficientWord* T, const uint8_t* samples, const OutputScaleTable& table) {
    int V[8][8];  // V[2u + d][column]
    for (int c = 0; c < 8; ++c) {
        int sums[4], differences[4], S[4], D[4];
        for (int z = 0; z < 4; ++z) {
            sums[z] = samples[16 * z + c] + samples[16 * z + 8 + c];
            differences[z] = samples[16 * z + c] - samples[16 * z + 8 + c];
        }
        FourPoint(sums, S);
        FourPoint(differences, D);
        for (int u = 0; u < 4; ++u) {
            V[2 * u][c] = S[u];
            V[2 * u + 1][c] = D[u];
        }
    }
    HorizontalAndScale(V, T, table);
}

namespace {

template <int M0, int M1>
void ForwardDctPair_C(CoefficientWord* T0, CoefficientWord* T1, const uint8_t* samples0,
                      const uint8_t* samples1, const OutputScaleTable& table0,
                      const OutputScaleTable& table1) {
    (M0 == 0 ? ForwardDct88_C : ForwardDct248_C)(T0, samples0, table0);
    (M1 == 0 ? ForwardDct88_C : ForwardDct248_C)(T1, samples1, table1);
}

}  // namespace

void SetForwardDctKernels_C(TransformKernels& kernels) {
    kernels.forwardDct[0] = ForwardDct88_C;
    kernels.forwardDct[1] = ForwardDct248_C;
    kernels.forwardDctPair[0][0] = ForwardDctPair_C<0, 0>;
    kernels.forwardDctPair[0][1] = ForwardDctPair_C<0, 1>;
    kernels.forwardDctPair[1][0] = ForwardDctPair_C<1, 0>;
    kernels.forwardDctPair[1][1] = ForwardDctPair_C<1, 1>;
}

}  // namespace encdv
