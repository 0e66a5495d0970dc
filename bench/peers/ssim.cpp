// Structural similarity as Wang, Bovik, Sheikh and Simoncelli define it (IEEE Trans. Image
// Processing 13(4), 2004): Gaussian-weighted local means, variances and covariance.
#include "ssim.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace encdv {
namespace bench {
namespace {

constexpr int kWindow = 11;
constexpr double kC1 = (0.01 * 255) * (0.01 * 255);
constexpr double kC2 = (0.03 * 255) * (0.03 * 255);

std::array<double, kWindow> GaussianWeights() {
    std::array<double, kWindow> w{};
    double sum = 0;
    for (int i = 0; i < kWindow; ++i) {
        const double d = i - kWindow / 2;
        w[i] = std::exp(-d * d / (2 * 1.5 * 1.5));
        sum += w[i];
    }
    for (double& v : w) v /= sum;
    return w;
}

}  // namespace

double Ssim(const uint8_t* a, const uint8_t* b, int width, int height) {
    if (width < kWindow || height < kWindow) return std::numeric_limits<double>::quiet_NaN();
    static const std::array<double, kWindow> w = GaussianWeights();
    const int outWidth = width - kWindow + 1;
    // The five moments filtered along each line, then down each column of the result.
    constexpr int kMoments = 5;
    std::vector<double> rows(static_cast<size_t>(kMoments) * outWidth * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* pa = a + static_cast<size_t>(y) * width;
        const uint8_t* pb = b + static_cast<size_t>(y) * width;
        for (int x = 0; x < outWidth; ++x) {
            double m[kMoments] = {};
            for (int k = 0; k < kWindow; ++k) {
                const double va = pa[x + k], vb = pb[x + k];
                m[0] += w[k] * va;
                m[1] += w[k] * vb;
                m[2] += w[k] * va * va;
                m[3] += w[k] * vb * vb;
                m[4] += w[k] * va * vb;
            }
            double* to = &rows[(static_cast<size_t>(y) * outWidth + x) * kMoments];
            for (int i = 0; i < kMoments; ++i) to[i] = m[i];
        }
    }
    double total = 0;
    const int outHeight = height - kWindow + 1;
    for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
            double m[kMoments] = {};
            for (int k = 0; k < kWindow; ++k) {
                const double* from = &rows[(static_cast<size_t>(y + k) * outWidth + x) * kMoments];
                for (int i = 0; i < kMoments; ++i) m[i] += w[k] * from[i];
            }
            const double varA = m[2] - m[0] * m[0];
            const double varB = m[3] - m[1] * m[1];
            const double cov = m[4] - m[0] * m[1];
            total += (2 * m[0] * m[1] + kC1) * (2 * cov + kC2) /
                     ((m[0] * m[0] + m[1] * m[1] + kC1) * (varA + varB + kC2));
        }
    }
    return total / (static_cast<double>(outWidth) * outHeight);
}

}  // namespace bench
}  // namespace encdv
