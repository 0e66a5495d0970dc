// The benchmark's SSIM against closed forms: flat planes reduce it to its luminance term.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "ssim.h"
#include "support/synthetic_picture.h"

namespace encdv {
namespace bench {
namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 40;

TEST(Ssim, FlatPlanesGiveTheLuminanceTerm) {
    const double c1 = (0.01 * 255) * (0.01 * 255);
    const struct { int a, b; } cases[] = {{128, 128}, {16, 235}, {100, 110}, {0, 255}, {0, 1}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> a(kWidth * kHeight, c.a), b(kWidth * kHeight, c.b);
        // Zero variances and covariance: the contrast-structure term is C2 / C2.
        const double expected = (2.0 * c.a * c.b + c1) / (1.0 * c.a * c.a + 1.0 * c.b * c.b + c1);
        EXPECT_NEAR(Ssim(a.data(), b.data(), kWidth, kHeight), expected, 1e-9)
            << c.a << " against " << c.b;
    }
}

TEST(Ssim, FallsWithNoiseAndIsSymmetric) {
    std::vector<uint8_t> picture(kWidth * kHeight);
    test::FillXorshiftNoise(picture, 12345);
    EXPECT_NEAR(Ssim(picture.data(), picture.data(), kWidth, kHeight), 1.0, 1e-12);
    std::vector<uint8_t> noise(picture.size());
    test::FillXorshiftNoise(noise, 777);
    double previous = 1.0;
    for (const int amplitude : {2, 8, 32}) {
        std::vector<uint8_t> noisy(picture.size());
        for (size_t i = 0; i < picture.size(); ++i) {
            const int v = picture[i] + (noise[i] % (2 * amplitude + 1)) - amplitude;
            noisy[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
        const double s = Ssim(picture.data(), noisy.data(), kWidth, kHeight);
        EXPECT_LT(s, previous) << "amplitude " << amplitude;
        EXPECT_DOUBLE_EQ(s, Ssim(noisy.data(), picture.data(), kWidth, kHeight));
        previous = s;
    }
    EXPECT_TRUE(std::isnan(Ssim(picture.data(), picture.data(), 10, 10)));
}

}  // namespace
}  // namespace bench
}  // namespace encdv
