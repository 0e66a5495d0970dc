#include "synthetic_picture.h"

#include <algorithm>
#include <cmath>

namespace encdv {
namespace test {
namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Blob {
    double x, y, amplitude, radius;
};

double Gaussian(double u, double v, const Blob& b) {
    const double dx = u - b.x;
    const double dy = v - b.y;
    return b.amplitude * std::exp(-(dx * dx + dy * dy) / (2 * b.radius * b.radius));
}

// 0 outside, 1 inside, a smooth ramp over the edge.
double SoftDisc(double u, double v, double cx, double cy, double radius, double edge) {
    const double r = std::sqrt((u - cx) * (u - cx) + (v - cy) * (v - cy));
    const double t = std::clamp((radius + edge - r) / (2 * edge), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

uint8_t ToByte(double value, double low, double high) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, low, high)));
}

// Smoothly interpolated lattice noise in -1 to 1 with the given cell size in pixels.
double ValueNoise(int x, int y, int cell, uint32_t salt) {
    auto lattice = [salt](int i, int j) {
        uint32_t h = static_cast<uint32_t>(i) * 0x8DA6B343u ^
                     static_cast<uint32_t>(j) * 0xD8163841u ^ salt * 0xCB1AB31Fu;
        h ^= h >> 13;
        h *= 0x5BD1E995u;
        h ^= h >> 15;
        return (h & 0xFFFF) / 32767.5 - 1.0;
    };
    const int i = x / cell;
    const int j = y / cell;
    double fx = static_cast<double>(x % cell) / cell;
    double fy = static_cast<double>(y % cell) / cell;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    const double top = lattice(i, j) + fx * (lattice(i + 1, j) - lattice(i, j));
    const double bottom = lattice(i, j + 1) + fx * (lattice(i + 1, j + 1) - lattice(i, j + 1));
    return top + fy * (bottom - top);
}

// Normalised luma 0-1 at pixel (x, y); the coordinates are scaled by the 625/50 picture so
// that every height shows the same content.
double Luma(int x, int y) {
    static const Blob kBlobs[] = {
        {0.25, 0.30, 0.30, 0.08},
        {0.70, 0.60, -0.25, 0.12},
        {0.50, 0.80, 0.20, 0.06},
        {0.85, 0.20, 0.22, 0.05},
    };
    const double u = x / 720.0;
    const double v = y / 576.0;
    double l = 0.30 + 0.25 * u + 0.15 * v;
    l += 0.15 * std::sin(kTwoPi * (0.9 * u + 0.4 * v)) * std::cos(kTwoPi * 0.7 * v);
    for (const Blob& b : kBlobs) l += Gaussian(u, v, b);
    l -= 0.20 * SoftDisc(u, v, 0.40, 0.55, 0.10, 0.015);
    // Texture of decreasing strength at finer scales, like the detail of a natural scene.
    l += 0.10 * ValueNoise(x, y, 48, 1) + 0.08 * ValueNoise(x, y, 16, 2) +
         0.06 * ValueNoise(x, y, 6, 3) + 0.05 * ValueNoise(x, y, 3, 4);
    return l;
}

double Chroma(int x, int y, bool red) {
    const double u = x / 720.0;
    const double v = y / 576.0;
    const double texture =
        0.06 * ValueNoise(x, y, 12, red ? 5 : 6) + 0.03 * ValueNoise(x, y, 4, red ? 7 : 8);
    if (red) {
        return texture + 0.5 * std::cos(kTwoPi * (0.4 * u - 0.6 * v)) +
               0.4 * Gaussian(u, v, {0.30, 0.60, 1.0, 0.10}) -
               0.3 * SoftDisc(u, v, 0.75, 0.35, 0.12, 0.02);
    }
    return texture + 0.5 * std::sin(kTwoPi * (0.5 * u + 0.3 * v)) -
           0.4 * Gaussian(u, v, {0.65, 0.75, 1.0, 0.09}) +
           0.3 * SoftDisc(u, v, 0.40, 0.55, 0.10, 0.015);
}

std::vector<uint8_t> ExtractBytes(const Yuy2Picture& picture, int offset, int step) {
    std::vector<uint8_t> plane;
    plane.reserve(picture.bytes.size() / step);
    for (size_t i = offset; i < picture.bytes.size(); i += step) plane.push_back(picture.bytes[i]);
    return plane;
}

}  // namespace

Yuy2Picture MakeSmoothPicture(int width, int height) {
    Yuy2Picture picture;
    picture.width = width;
    picture.height = height;
    picture.bytes.resize(static_cast<size_t>(2) * width * height);
    for (int y = 0; y < height; ++y) {
        uint8_t* line = &picture.bytes[static_cast<size_t>(y) * picture.Pitch()];
        for (int x = 0; x < width; x += 2) {
            uint8_t* pair = line + 2 * x;
            pair[0] = ToByte(16 + 219 * Luma(x, y), 16, 235);
            pair[1] = ToByte(128 + 100 * Chroma(x, y, false), 16, 240);
            pair[2] = ToByte(16 + 219 * Luma(x + 1, y), 16, 235);
            pair[3] = ToByte(128 + 100 * Chroma(x, y, true), 16, 240);
        }
    }
    return picture;
}

Yuy2Picture MakeNoisePicture(int width, int height, uint32_t seed) {
    Yuy2Picture picture;
    picture.width = width;
    picture.height = height;
    picture.bytes.resize(static_cast<size_t>(2) * width * height);
    FillXorshiftNoise(picture.bytes, seed ? seed : 1);
    return picture;
}

void FillXorshiftNoise(std::vector<uint8_t>& bytes, uint32_t state) {
    for (uint8_t& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 24);
    }
}

std::vector<uint8_t> LumaPlane(const Yuy2Picture& picture) {
    return ExtractBytes(picture, 0, 2);
}
std::vector<uint8_t> CbPlane422(const Yuy2Picture& picture) {
    return ExtractBytes(picture, 1, 4);
}
std::vector<uint8_t> CrPlane422(const Yuy2Picture& picture) {
    return ExtractBytes(picture, 3, 4);
}

}  // namespace test
}  // namespace encdv
