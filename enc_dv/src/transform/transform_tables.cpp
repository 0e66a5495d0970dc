#include "transform/transform_tables.h"

#include <atomic>
#include <cmath>

namespace encdv {

namespace {

// Output scale tables of the 8-8 (index 0) and 2-4-8 (index 1) DCTs, built from the flowgraph
// gains and the DV weights by BuildTransformTables; read-only afterwards.
OutputScaleTable scaleTables[2];
std::atomic<bool> tablesBuilt{false};

const double kPi = 3.14159265358979323846;
const double kSqrt2 = 1.41421356237309504880;

double Cs(int n) {
    return std::cos(n * kPi / 16.0);
}

// Gain of frequency n in the eight-point butterfly: 1, 2 cos(n pi/16) for even n, and
// 2 cos(n pi/16) / cos(2 pi/16) for odd n (the odd half ends with a 1/cos(2 pi/16) multiply).
double EightPointGain(int n) {
    if (n == 0) return 1.0;
    const double g = 2.0 * Cs(n);
    return (n % 2 == 0) ? g : g / Cs(2);
}

// Gain of frequency u in the four-point pair step of the 2-4-8 DCT.
double FourPointGain(int u) {
    if (u == 0) return 1.0;
    return (u == 2) ? kSqrt2 : kSqrt2 / Cs(2);
}

// beta(n): what remains of the horizontal (or 8-8 vertical) gain after the orthonormal
// scale and the DV weight.
double Beta(int n) {
    return n == 0 ? 1.0 : EightPointGain(n) / (kSqrt2 * DvWeight(n));
}

// gamma(u): the same for the vertical frequency within one half of the 2-4-8 DCT.
double Gamma(int u) {
    return u == 0 ? 1.0 : FourPointGain(u) / (kSqrt2 * DvWeight(2 * u));
}

void SetEntry(OutputScaleTable& table, int k, double divisor) {
    table.multiplier[k] = static_cast<int16_t>(std::trunc(67108864.0 / divisor + 0.499));
    table.bias[k] = static_cast<int16_t>(std::trunc(divisor / 2048.0 - 0.125));
}

}  // namespace

double DvWeight(int n) {
    switch (n) {
        case 0:
            return 1.0;
        case 1:
            return Cs(4) / (4.0 * Cs(7) * Cs(2));
        case 2:
            return Cs(4) / (2.0 * Cs(6));
        case 3:
            return 1.0 / (2.0 * Cs(5));
        case 4:
            return 7.0 / 8.0;
        case 5:
            return Cs(4) / Cs(3);
        case 6:
            return Cs(4) / Cs(2);
        default:
            return Cs(4) / Cs(1);
    }
}

void BuildTransformTables() {
    if (tablesBuilt.load(std::memory_order_acquire)) return;
    for (int h = 0; h < 8; ++h) {
        for (int v = 0; v < 8; ++v) {
            SetEntry(scaleTables[0], 8 * h + v, 16384.0 * Beta(h) * Beta(v));
        }
        for (int u = 0; u < 4; ++u) {
            const double divisor = 16384.0 * Beta(h) * Gamma(u);
            SetEntry(scaleTables[1], 8 * h + 2 * u, divisor);
            SetEntry(scaleTables[1], 8 * h + 2 * u + 1, divisor);
        }
    }
    // The DC output (and in the 2-4-8 DCT only the sum DC) is four times finer than the
    // other coefficients: divisor 4096 instead of 16384.
    SetEntry(scaleTables[0], 0, 4096.0);
    SetEntry(scaleTables[1], 0, 4096.0);
    tablesBuilt.store(true, std::memory_order_release);
}

const OutputScaleTable& GetOutputScaleTable(int dctMode) {
    return scaleTables[dctMode];
}

}  // namespace encdv
