// The fine DCTs in plain integers: the definition the vector kernels follow to the bit. Every
// sum fits its 32 bits (the tables' test bounds them), so no step depends on wrapping.
#include "transform/forward_dct_fine.h"
#include "transform/scan_order.h"
#include "transform/transform_kernels.h"

namespace encdv {

namespace {

// Right shifts of negative numbers are arithmetic (floor division by the power of two) on
// every compiler the library is built with.

int16_t VerticalRound(int32_t sum) {
    return static_cast<int16_t>((sum + (1 << (kFineVerticalShift - 1))) >> kFineVerticalShift);
}

// rows[v][c], v the vertical frequency, from the line sums s_i = x_i + x_(7-i) and
// differences d_i = x_i - x_(7-i) of each column.
void Vertical88(const uint8_t* x, int16_t rows[8][8]) {
    const int16_t* k = kFineVerticalBasis;
    for (int c = 0; c < 8; ++c) {
        int32_t s[4];
        int32_t d[4];
        for (int i = 0; i < 4; ++i) {
            s[i] = x[8 * i + c] + x[8 * (7 - i) + c];
            d[i] = x[8 * i + c] - x[8 * (7 - i) + c];
        }
        const int32_t e0 = s[0] + s[3], e1 = s[1] + s[2], f0 = s[0] - s[3], f1 = s[1] - s[2];
        rows[0][c] = static_cast<int16_t>((e0 + e1 - 1024) * 16);
        rows[4][c] = static_cast<int16_t>((e0 - e1) * 16);
        rows[2][c] = VerticalRound(k[2] * f0 + k[6] * f1);
        rows[6][c] = VerticalRound(k[6] * f0 - k[2] * f1);
        rows[1][c] = VerticalRound(k[1] * d[0] + k[3] * d[1] + k[5] * d[2] + k[7] * d[3]);
        rows[3][c] = VerticalRound(k[3] * d[0] - k[7] * d[1] - k[1] * d[2] - k[5] * d[3]);
        rows[5][c] = VerticalRound(k[5] * d[0] - k[1] * d[1] + k[7] * d[2] + k[3] * d[3]);
        rows[7][c] = VerticalRound(k[7] * d[0] - k[5] * d[1] + k[3] * d[2] - k[1] * d[3]);
    }
}

// The four-point DCT of one half (line pair sums or differences y_z) into rows d, 2 + d,
// 4 + d, 6 + d (u = 0..3).
void FourPoint(const int32_t y[4], int d, int c, int16_t rows[8][8]) {
    const int16_t* k = kFineVerticalBasis;
    const int32_t a0 = y[0] + y[3], a1 = y[1] + y[2], b0 = y[0] - y[3], b1 = y[1] - y[2];
    rows[d][c] = static_cast<int16_t>((a0 + a1 - (d == 0 ? 1024 : 0)) * 16);
    rows[4 + d][c] = static_cast<int16_t>((a0 - a1) * 16);
    rows[2 + d][c] = VerticalRound(k[2] * b0 + k[6] * b1);
    rows[6 + d][c] = VerticalRound(k[6] * b0 - k[2] * b1);
}

// rows[2u + d][c] for the 2-4-8 DCT.
void Vertical248(const uint8_t* x, int16_t rows[8][8]) {
    for (int c = 0; c < 8; ++c) {
        int32_t sums[4];
        int32_t differences[4];
        for (int z = 0; z < 4; ++z) {
            sums[z] = x[16 * z + c] + x[16 * z + 8 + c];
            differences[z] = x[16 * z + c] - x[16 * z + 8 + c];
        }
        FourPoint(sums, 0, c, rows);
        FourPoint(differences, 1, c, rows);
    }
}

// A horizontal sum with half an eighth added (2^-22 units) in eighths, rounded to the nearest;
// except that a magnitude of exactly half a coefficient (4 eighths above a whole one) that the
// sum exceeds grows by an eighth, so that rounding to whole coefficients later (a tie
// downwards) goes up as the sum does: 0.1 dB of luminance on smooth pictures, where nearly every
// block is coded at step 1.
int32_t ToEighths(int32_t sum) {
    constexpr int32_t kHalf = 1 << (kFineHorizontalShift - 1);
    const int32_t value = sum >> kFineHorizontalShift;
    const int32_t rest = sum & ((1 << kFineHorizontalShift) - 1);
    if ((value & 7) != 4) return value;
    if (value > 0 && rest > kHalf) return value + 1;
    if (value < 0 && rest < kHalf) return value - 1;
    return value;
}

// out[8h + v] in eighths, out[0] = 0.
void Horizontal(const int16_t rows[8][8], const int16_t (*table)[2][16], int16_t out[64]) {
    for (int v = 0; v < 8; ++v) {
        int32_t s[4];
        int32_t d[4];
        for (int j = 0; j < 4; ++j) {
            s[j] = rows[v][j] + rows[v][7 - j];
            d[j] = rows[v][j] - rows[v][7 - j];
        }
        for (int h = 0; h < 8; ++h) {
            if (h == 0 && v == 0) continue;  // the DC, whose sum may leave 32 bits
            const int32_t* y = h % 2 == 0 ? s : d;
            const int16_t* pair0 = table[h][0] + 2 * v;
            const int16_t* pair1 = table[h][1] + 2 * v;
            const int32_t sum = pair0[0] * y[0] + pair0[1] * y[1] + pair1[0] * y[2] +
                                pair1[1] * y[3] + (1 << (kFineHorizontalShift - 1));
            out[8 * h + v] = static_cast<int16_t>(ToEighths(sum));
        }
    }
    out[0] = 0;
}

template <int Mode>
void Transform(const uint8_t* samples, int16_t out[64]) {
    int16_t rows[8][8];
    if (Mode == 0) {
        Vertical88(samples, rows);
    } else {
        Vertical248(samples, rows);
    }
    Horizontal(rows, kFineHorizontal[Mode], out);
}

int SampleSum(const uint8_t* samples) {
    int sum = 0;
    for (int i = 0; i < 64; ++i) sum += samples[i];
    return sum;
}

template <int Mode>
int WithSignWords(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords) {
    int16_t out[64];
    Transform<Mode>(samples, out);
    const uint8_t* scan = Mode == 0 ? kScanOrder88 : kScanOrder248;
    for (int k = 0; k < 64; ++k) {
        const int16_t value = out[scan[k]];
        magnitudes[k] = static_cast<uint16_t>(value < 0 ? -value : value);
        signWords[k] = value < 0 ? kSignBit : 0;
    }
    return SampleSum(samples);
}

template <int Mode>
uint64_t WithSignBits(const uint8_t* samples, uint16_t* magnitudes) {
    int16_t out[64];
    Transform<Mode>(samples, out);
    const uint8_t* scan = Mode == 0 ? kScanOrder88 : kScanOrder248;
    uint64_t signs = 0;
    for (int k = 0; k < 64; ++k) {
        const int16_t value = out[scan[k]];
        magnitudes[k] = static_cast<uint16_t>(value < 0 ? -value : value);
        signs |= static_cast<uint64_t>(value < 0) << k;
    }
    return signs;
}

}  // namespace

int ForwardDctFine88_C(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords) {
    return WithSignWords<0>(samples, magnitudes, signWords);
}

int ForwardDctFine248_C(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords) {
    return WithSignWords<1>(samples, magnitudes, signWords);
}

uint64_t ForwardDctFineSigns88_C(const uint8_t* samples, uint16_t* magnitudes) {
    return WithSignBits<0>(samples, magnitudes);
}

uint64_t ForwardDctFineSigns248_C(const uint8_t* samples, uint16_t* magnitudes) {
    return WithSignBits<1>(samples, magnitudes);
}

void SetForwardDctFineKernels_C(TransformKernels& kernels) {
    kernels.forwardDctFine[0] = ForwardDctFine88_C;
    kernels.forwardDctFine[1] = ForwardDctFine248_C;
    kernels.forwardDctFineSigns[0] = ForwardDctFineSigns88_C;
    kernels.forwardDctFineSigns[1] = ForwardDctFineSigns248_C;
}

}  // namespace encdv
