#ifndef ENC_DV_BENCH_PEERS_RESAMPLE_H
#define ENC_DV_BENCH_PEERS_RESAMPLE_H

#include <cstddef>
#include <vector>

namespace encdv {
namespace bench {

// A plane of samples in float, row after row.
struct FloatPlane {
    int width = 0;
    int height = 0;
    std::vector<float> samples;

    FloatPlane() = default;
    FloatPlane(int w, int h, float fill = 0)
        : width(w), height(h), samples(static_cast<std::size_t>(w) * h, fill) {}
    float& At(int x, int y) { return samples[static_cast<std::size_t>(y) * width + x]; }
    float At(int x, int y) const { return samples[static_cast<std::size_t>(y) * width + x]; }
};

// The source taps of a one-dimensional resampling: output sample i is the weighted sum of the
// source samples index[i * span + k] with weight[i * span + k], k < span.
struct Taps {
    int span = 0;
    std::vector<int> index;
    std::vector<float> weight;
    int Count() const { return span == 0 ? 0 : static_cast<int>(index.size()) / span; }
};

// Taps for output samples at the given source positions (in source samples; 0 is the centre
// of the first) with the Keys cubic kernel (a = -0.5), stretched by footprint when it is
// above 1 so that a reduction filters instead of aliasing: pass the spacing of the output
// samples in source samples. Positions off the source take its edge samples.
Taps MakeTaps(const std::vector<double>& positions, double footprint, int sourceSize);

// Positions origin, origin + step, ... (count of them).
std::vector<double> EvenPositions(double origin, double step, int count);

// The source resampled: out(x, y) from the rows of rows.index and the columns of
// columns.index. A separable filter, rows first.
FloatPlane Resample(const FloatPlane& source, const Taps& columns, const Taps& rows);

}  // namespace bench
}  // namespace encdv

#endif
