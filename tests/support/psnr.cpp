#include "psnr.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace encdv {
namespace test {

double Psnr(const uint8_t* a, int strideA, const uint8_t* b, int strideB, int width, int height) {
    uint64_t squares = 0;
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const int d = a[static_cast<ptrdiff_t>(row) * strideA + col] -
                          b[static_cast<ptrdiff_t>(row) * strideB + col];
            squares += static_cast<uint64_t>(d * d);
        }
    }
    if (squares == 0) return std::numeric_limits<double>::infinity();
    const double mse = static_cast<double>(squares) / (static_cast<double>(width) * height);
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width, int height) {
    return Psnr(a.data(), width, b.data(), width, width, height);
}

}  // namespace test
}  // namespace encdv
