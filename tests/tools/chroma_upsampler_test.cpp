#include "chroma_upsampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace dvenc {
namespace {

// Reference resampler written from the geometry: source samples at known positions, the
// output at position p is the straight line between the nearest sample at or before p and
// the nearest one after it (the outermost sample beyond either end), rounded half up.
double Interpolate(const std::vector<double>& positions, const std::vector<int>& values, double p) {
    if (p <= positions.front()) return values.front();
    if (p >= positions.back()) return values.back();
    size_t i = 0;
    while (positions[i + 1] <= p) ++i;
    const double t = (p - positions[i]) / (positions[i + 1] - positions[i]);
    return values[i] + t * (values[i + 1] - values[i]);
}

int RoundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

// 4:2:0 to 4:2:2 by the reference: vertically within each field (or the frame), rounded,
// then horizontally to the even luma columns, rounded.
std::vector<uint8_t> Reference420(const std::vector<uint8_t>& chroma, int width, int height,
                                  Siting420 siting, bool interlaced) {
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    // Chroma line j sits at frame line 2j + 0.5, or 2j for 420paldv.
    const double down = siting == Siting420::kLeftTop ? 0.0 : 0.5;
    std::vector<int> work(static_cast<size_t>(cw) * height);
    for (int x = 0; x < cw; ++x) {
        for (int line = 0; line < height; ++line) {
            std::vector<double> positions;
            std::vector<int> values;
            for (int j = 0; j < ch; ++j) {
                if (interlaced && j % 2 != line % 2) continue;
                // Interlaced: positions in field-line units, counting the field's lines.
                const double frameLine = 2 * j + down;
                positions.push_back(interlaced ? (frameLine - line % 2) / 2 : frameLine);
                values.push_back(chroma[j * cw + x]);
            }
            const double p = interlaced ? line / 2 : line;
            work[line * cw + x] = RoundHalfUp(Interpolate(positions, values, p));
        }
    }
    // Source column i sits at luma column 2i + 0.5 (420jpeg) or 2i; output i at 2i.
    const double right = siting == Siting420::kCentred ? 0.5 : 0.0;
    std::vector<uint8_t> out(work.size());
    for (int line = 0; line < height; ++line) {
        std::vector<double> positions;
        std::vector<int> values;
        for (int i = 0; i < cw; ++i) {
            positions.push_back(2 * i + right);
            values.push_back(work[line * cw + i]);
        }
        for (int i = 0; i < cw; ++i) {
            out[line * cw + i] =
                static_cast<uint8_t>(RoundHalfUp(Interpolate(positions, values, 2 * i)));
        }
    }
    return out;
}

std::vector<uint8_t> RandomPlane(size_t size, std::mt19937* random) {
    std::vector<uint8_t> plane(size);
    std::uniform_int_distribution<int> byte(0, 255);
    for (uint8_t& v : plane) v = static_cast<uint8_t>(byte(*random));
    return plane;
}

TEST(ChromaUpsampler, Matches420GeometryForEverySitingAndScan) {
    const unsigned seed = 20261207;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    const Siting420 sitings[] = {Siting420::kCentred, Siting420::kLeftCentred, Siting420::kLeftTop};
    // Heights include one whose field halves differ (486 / 2 = 243 chroma lines).
    const int heights[] = {16, 18, 22, 486};
    for (const Siting420 siting : sitings) {
        for (const bool interlaced : {true, false}) {
            for (const int height : heights) {
                SCOPED_TRACE(testing::Message() << "siting " << static_cast<int>(siting)
                                                << (interlaced ? " interlaced" : " progressive")
                                                << " height " << height);
                const int width = 24;
                const int cw = width / 2;
                const int ch = (height + 1) / 2;
                const std::vector<uint8_t> chroma =
                    RandomPlane(static_cast<size_t>(cw) * ch, &random);
                std::vector<uint8_t> work(static_cast<size_t>(cw) * height);
                std::vector<uint8_t> out(static_cast<size_t>(cw) * height);
                Upsample420To422(chroma.data(), cw, width, height, siting, interlaced, work.data(),
                                 out.data());
                ASSERT_EQ(out, Reference420(chroma, width, height, siting, interlaced));
            }
        }
    }
}

TEST(ChromaUpsampler, InterlacedWeightsAreTheMpeg2Phases) {
    // Worked example: in the top field, chroma sits a quarter of the way from field line 0
    // to field line 1 (frame line 0.5), so field line 1 (frame line 2) is 3/8 of the way
    // from chroma line 0 to the next top-field chroma line: 0 + 3/8 x 160 = 60. In the
    // bottom field chroma sits three quarters of the way down, so field line 0 (frame
    // line 1) is still the edge value 80 and field line 1 (frame line 3) is
    // 7/8 x 80 + 1/8 x 240 = 100.
    const int width = 2;
    const int height = 8;
    const uint8_t chroma[4] = {0, 80, 160, 240};  // lines 0, 2 top field; 1, 3 bottom field
    uint8_t work[8], out[8];
    Upsample420To422(chroma, 1, width, height, Siting420::kLeftCentred, true, work, out);
    const uint8_t expected[8] = {0, 80, 60, 100, 140, 180, 160, 240};
    for (int line = 0; line < height; ++line) EXPECT_EQ(out[line], expected[line]) << line;
}

TEST(ChromaUpsampler, Interpolates411MidwayAndKeepsCoSitedSamples) {
    // 4:1:1 chroma on columns 0, 4, 8, ...; 4:2:2 on 0, 2, 4, ...: every other output is a
    // source sample, the rest the rounded mean of their neighbours, the last one repeated.
    const unsigned seed = 411;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    const int width = 720;
    const int height = 3;
    const std::vector<uint8_t> chroma = RandomPlane(180 * height, &random);
    std::vector<uint8_t> out(360 * height);
    Upsample411To422(chroma.data(), width, height, out.data());
    for (int line = 0; line < height; ++line) {
        const uint8_t* c = &chroma[line * 180];
        const uint8_t* o = &out[line * 360];
        for (int k = 0; k < 180; ++k) {
            ASSERT_EQ(o[2 * k], c[k]);
            const int next = k + 1 < 180 ? c[k + 1] : c[k];
            ASSERT_EQ(o[2 * k + 1], (c[k] + next + 1) / 2) << "k " << k;
        }
    }
}

}  // namespace
}  // namespace dvenc
