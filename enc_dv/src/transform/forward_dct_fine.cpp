#include "transform/forward_dct_fine.h"

namespace encdv {
namespace {

// round(2^15 a(n) / 2 cos((2i + 1) n pi / 16)), a(0) = 1 / sqrt(2), a(n) = 1: the orthonormal
// eight-point DCT-II basis, row n (the test recomputes it).
constexpr int32_t kBasis8[8][8] = {
    {11585, 11585, 11585, 11585, 11585, 11585, 11585, 11585},
    {16069, 13623, 9102, 3196, -3196, -9102, -13623, -16069},
    {15137, 6270, -6270, -15137, -15137, -6270, 6270, 15137},
    {13623, -3196, -16069, -9102, 9102, 16069, 3196, -13623},
    {11585, -11585, -11585, 11585, 11585, -11585, -11585, 11585},
    {9102, -16069, 3196, 13623, -13623, -3196, 16069, -9102},
    {6270, -15137, 15137, -6270, -6270, 15137, -15137, 6270},
    {3196, -9102, 13623, -16069, 16069, -13623, 9102, -3196},
};

// The same for the four-point DCT-II of the 2-4-8 halves: round(2^15 a(u) / 2 cos((2z + 1) u
// pi / 8)).
constexpr int32_t kBasis4[4][4] = {
    {11585, 11585, 11585, 11585},
    {15137, 6270, -6270, -15137},
    {11585, -11585, -11585, 11585},
    {6270, -15137, 15137, -6270},
};

// The DV weighting w(h) w(v) / 2 (w(h) w(2u) / 2 in the 2-4-8 DCT) times 2^19, by output
// index; the test recomputes it from DvWeight.
constexpr int32_t kWeight[2][64] = {
    {262144, 257107, 242189, 235923, 229376, 222935, 200636, 188995, 257107, 252167, 237536,
     231390, 224969, 218652, 196781, 185364, 242189, 237536, 223754, 217965, 211916, 205965,
     185364, 174609, 235923, 231390, 217965, 212325, 206433, 200636, 180568, 170091, 229376,
     224969, 211916, 206433, 200704, 195068, 175557, 165371, 222935, 218652, 205965, 200636,
     195068, 189591, 170627, 160727, 200636, 196781, 185364, 180568, 175557, 170627, 153560,
     144651, 188995, 185364, 174609, 170091, 165371, 160727, 144651, 136258},
    {262144, 262144, 242189, 242189, 229376, 229376, 200636, 200636, 257107, 257107, 237536,
     237536, 224969, 224969, 196781, 196781, 242189, 242189, 223754, 223754, 211916, 211916,
     185364, 185364, 235923, 235923, 217965, 217965, 206433, 206433, 180568, 180568, 229376,
     229376, 211916, 211916, 200704, 200704, 175557, 175557, 222935, 222935, 205965, 205965,
     195068, 195068, 170627, 170627, 200636, 200636, 185364, 185364, 175557, 175557, 153560,
     153560, 188995, 188995, 174609, 174609, 165371, 165371, 144651, 144651},
};
constexpr int kWeightBits = 19;
constexpr int kBasisBits = 15;

// The eight-point DCT by the bases' symmetries: the even rows need only the sums x[i] +
// x[7 - i] (and of those, rows 0 and 4 the sums again, rows 2 and 6 the differences), the odd
// rows only the differences x[i] - x[7 - i]. The same products as the plain sums, fewer of
// them, so the result is the same.
template <typename Sum, typename Input>
inline void EightPoint(const Input* x, int stride, Sum* y) {
    const Sum s0 = Sum{x[0]} + x[7 * stride], d0 = Sum{x[0]} - x[7 * stride];
    const Sum s1 = Sum{x[stride]} + x[6 * stride], d1 = Sum{x[stride]} - x[6 * stride];
    const Sum s2 = Sum{x[2 * stride]} + x[5 * stride], d2 = Sum{x[2 * stride]} - x[5 * stride];
    const Sum s3 = Sum{x[3 * stride]} + x[4 * stride], d3 = Sum{x[3 * stride]} - x[4 * stride];
    const Sum e0 = s0 + s3, e1 = s1 + s2, f0 = s0 - s3, f1 = s1 - s2;
    y[0] = kBasis8[0][0] * (e0 + e1);
    y[4] = kBasis8[4][0] * (e0 - e1);
    y[2] = kBasis8[2][0] * f0 + kBasis8[2][1] * f1;
    y[6] = kBasis8[6][0] * f0 + kBasis8[6][1] * f1;
    for (int n = 1; n < 8; n += 2) {
        y[n] = kBasis8[n][0] * d0 + kBasis8[n][1] * d1 + kBasis8[n][2] * d2 + kBasis8[n][3] * d3;
    }
}

// The four-point DCT of one half of the 2-4-8 DCT, by the same symmetries.
inline void FourPoint(int32_t x0, int32_t x1, int32_t x2, int32_t x3, int32_t* y) {
    const int32_t s0 = x0 + x3, d0 = x0 - x3, s1 = x1 + x2, d1 = x1 - x2;
    y[0] = kBasis4[0][0] * (s0 + s1);
    y[4] = kBasis4[2][0] * (s0 - s1);
    y[2] = kBasis4[1][0] * d0 + kBasis4[1][1] * d1;
    y[6] = kBasis4[3][0] * d0 + kBasis4[3][1] * d1;
}

}  // namespace

void ForwardDctFine(const uint8_t* samples, int dctMode, int fractionBits, int32_t* out) {
    // Vertical pass into columns[c][r]: r is vertical frequency v (8-8) or 2u + d (2-4-8), in
    // units of 2^-15; at most 8 x 255 x 16069 (8-8) or 4 x 510 x 15137, so 32 bits hold it.
    int32_t columns[8][8];
    for (int c = 0; c < 8; ++c) {
        if (dctMode == 0) {
            EightPoint<int32_t>(samples + c, 8, columns[c]);
        } else {
            int32_t sums[4];
            int32_t differences[4];
            for (int z = 0; z < 4; ++z) {
                sums[z] = samples[16 * z + c] + samples[16 * z + 8 + c];
                differences[z] = samples[16 * z + c] - samples[16 * z + 8 + c];
            }
            FourPoint(sums[0], sums[1], sums[2], sums[3], columns[c]);
            FourPoint(differences[0], differences[1], differences[2], differences[3],
                      columns[c] + 1);
        }
    }
    // Horizontal pass in 64 bits (units of 2^-30), then the weighting, rounded to the nearest
    // of the requested units.
    const int shift = 2 * kBasisBits + kWeightBits - fractionBits;
    const int64_t half = int64_t{1} << (shift - 1);
    const int32_t* weight = kWeight[dctMode];
    for (int r = 0; r < 8; ++r) {
        int64_t y[8];
        EightPoint<int64_t>(&columns[0][r], 8, y);
        for (int h = 0; h < 8; ++h) {
            if (h == 0 && r == 0) continue;
            const int64_t sum = y[h];
            const int64_t magnitude = sum < 0 ? -sum : sum;
            const int32_t value =
                static_cast<int32_t>((magnitude * weight[8 * h + r] + half) >> shift);
            out[8 * h + r] = sum < 0 ? -value : value;
        }
    }
}

}  // namespace encdv
