// Separable cubic resampling of float planes, for the pans and zooms of the benchmark clips.
#include "resample.h"

#include <algorithm>
#include <cmath>

namespace encdv {
namespace bench {
namespace {

// Keys' cubic convolution kernel with a = -0.5 (Catmull-Rom): interpolates, reproduces
// linear ramps at unit spacing, support (-2, 2).
double Keys(double x) {
    x = std::fabs(x);
    if (x < 1) return (1.5 * x - 2.5) * x * x + 1;
    if (x < 2) return ((-0.5 * x + 2.5) * x - 4) * x + 2;
    return 0;
}

}  // namespace

Taps MakeTaps(const std::vector<double>& positions, double footprint, int sourceSize) {
    const double scale = std::max(1.0, footprint);
    Taps taps;
    taps.span = static_cast<int>(std::ceil(4 * scale)) + 1;
    taps.index.resize(positions.size() * taps.span);
    taps.weight.resize(positions.size() * taps.span);
    for (size_t i = 0; i < positions.size(); ++i) {
        const double centre = positions[i];
        const int first = static_cast<int>(std::floor(centre - 2 * scale)) + 1;
        double sum = 0;
        for (int k = 0; k < taps.span; ++k) sum += Keys((first + k - centre) / scale);
        for (int k = 0; k < taps.span; ++k) {
            const size_t at = i * taps.span + k;
            taps.index[at] = std::clamp(first + k, 0, sourceSize - 1);
            // Normalised, so that a flat source stays flat at any stretch.
            taps.weight[at] = static_cast<float>(Keys((first + k - centre) / scale) / sum);
        }
    }
    return taps;
}

std::vector<double> EvenPositions(double origin, double step, int count) {
    std::vector<double> positions(count);
    for (int i = 0; i < count; ++i) positions[i] = origin + step * i;
    return positions;
}

FloatPlane Resample(const FloatPlane& source, const Taps& columns, const Taps& rows) {
    FloatPlane out(columns.Count(), rows.Count());
    std::vector<float> line(source.width);
    for (int y = 0; y < out.height; ++y) {
        std::fill(line.begin(), line.end(), 0.0f);
        for (int k = 0; k < rows.span; ++k) {
            const float w = rows.weight[static_cast<size_t>(y) * rows.span + k];
            const float* from =
                &source.samples[static_cast<size_t>(
                                    rows.index[static_cast<size_t>(y) * rows.span + k]) *
                                source.width];
            for (int x = 0; x < source.width; ++x) line[x] += w * from[x];
        }
        for (int x = 0; x < out.width; ++x) {
            float sum = 0;
            const size_t at = static_cast<size_t>(x) * columns.span;
            for (int k = 0; k < columns.span; ++k)
                sum += columns.weight[at + k] * line[columns.index[at + k]];
            out.At(x, y) = sum;
        }
    }
    return out;
}

}  // namespace bench
}  // namespace encdv
