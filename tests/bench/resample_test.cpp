// The clips' resampler: what a cubic interpolator must keep, and what a reduction must filter.
#include <gtest/gtest.h>

#include <cmath>

#include "resample.h"

namespace encdv {
namespace bench {
namespace {

// A source plane with value f(x, y) at every sample.
template <typename F>
FloatPlane MakePlane(int width, int height, F f) {
    FloatPlane plane(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) plane.At(x, y) = static_cast<float>(f(x, y));
    return plane;
}

TEST(Resample, KeepsSamplesFlatsAndRampsAtUnitStep) {
    const FloatPlane ramp = MakePlane(64, 48, [](int x, int y) { return 3.0 * x - 2.0 * y + 7; });
    const FloatPlane flat = MakePlane(64, 48, [](int, int) { return 99.0; });
    // Origins inside the plane, clear of its edges: integer ones hit samples, others fall
    // between them.
    const struct {
        double left, top, step;
    } cases[] = {{5, 4, 1}, {5.25, 4.5, 1}, {7.8, 6.3, 1}, {4.5, 3.5, 0.5}, {6.1, 5.9, 0.77}};
    for (const auto& c : cases) {
        const Taps columns = MakeTaps(EvenPositions(c.left, c.step, 40), c.step, ramp.width);
        const Taps rows = MakeTaps(EvenPositions(c.top, c.step, 30), c.step, ramp.height);
        const FloatPlane r = Resample(ramp, columns, rows);
        const FloatPlane f = Resample(flat, columns, rows);
        for (int y = 0; y < r.height; ++y) {
            for (int x = 0; x < r.width; ++x) {
                const double px = c.left + c.step * x, py = c.top + c.step * y;
                ASSERT_NEAR(r.At(x, y), 3 * px - 2 * py + 7, 1e-3) << c.left << " " << c.step;
                ASSERT_NEAR(f.At(x, y), 99.0, 1e-3);
            }
        }
    }
}

TEST(Resample, ReductionFiltersWhatItCannotKeep) {
    // Alternate columns of +-100: the finest detail, which a 2:1 reduction cannot represent
    // and must not fold into a false pattern. At unit step it stays.
    const FloatPlane stripes = MakePlane(80, 8, [](int x, int) { return x % 2 ? 100.0 : -100.0; });
    const Taps rows = MakeTaps(EvenPositions(2, 1, 4), 1, stripes.height);
    const struct {
        double step;
        double largest;  // the largest magnitude allowed in the output
        double smallest;
    } cases[] = {{1, 100.01, 99.99}, {2, 5, 0}, {3, 5, 0}};
    for (const auto& c : cases) {
        const Taps columns = MakeTaps(EvenPositions(10, c.step, 16), c.step, stripes.width);
        const FloatPlane out = Resample(stripes, columns, rows);
        for (int x = 0; x < out.width; ++x) {
            EXPECT_LE(std::fabs(out.At(x, 1)), c.largest) << "step " << c.step << " x " << x;
            EXPECT_GE(std::fabs(out.At(x, 1)), c.smallest) << "step " << c.step << " x " << x;
        }
    }
}

}  // namespace
}  // namespace bench
}  // namespace encdv
