#include "demo_picture.h"

#include <algorithm>
#include <cmath>

#include "enc_dv.h"

namespace dvenc {

namespace {

constexpr int kWidth = 720;
constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double y, cb, cr;
};

// Rec. 601 studio-range Y'CbCr of gamma-corrected R, G, B in 0-1.
Colour FromRgb(double r, double g, double b) {
    return {16 + 65.481 * r + 128.553 * g + 24.966 * b, 128 - 37.797 * r - 74.203 * g + 112.0 * b,
            128 + 112.0 * r - 93.786 * g - 18.214 * b};
}

Colour Grey(double y) {
    return {y, 128, 128};
}

// Fully saturated colour of hue h (0-1 around the circle) at level v.
Colour Hue(double h, double v) {
    const double k = h * 6;
    const auto channel = [&](double n) {
        const double t = std::fmod(n + k, 6.0);
        return v * (1 - std::clamp(std::min(t, 4 - t), 0.0, 1.0));
    };
    return FromRgb(channel(5), channel(3), channel(1));
}

// Seven-segment digit d: does the point (x, y) of a 24x40 cell lie on a lit segment?
bool DigitCovers(int d, int x, int y) {
    // Segments a (top), b, c (right, top to bottom), d (bottom), e, f (left, bottom to
    // top), g (middle), bit 0 = a.
    static const unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const unsigned s = kSegments[d];
    constexpr int t = 5;  // stroke
    const bool top = y < 20;
    const bool horizontal = x >= t && x < 24 - t;
    if ((s & 0x01) && horizontal && y < t) return true;
    if ((s & 0x40) && horizontal && y >= 20 - t / 2 - 1 && y < 20 + t / 2 + 1) return true;
    if ((s & 0x08) && horizontal && y >= 40 - t) return true;
    if ((s & 0x02) && top && x >= 24 - t) return true;
    if ((s & 0x04) && !top && x >= 24 - t) return true;
    if ((s & 0x20) && top && x < t) return true;
    if ((s & 0x10) && !top && x < t) return true;
    return false;
}

// The colour of pixel (x, line) of a picture of height lines at time t (in frames).
Colour Pixel(int x, int line, int height, double t, long long frame) {
    const double v = static_cast<double>(line) / height;  // 0 at the top, 1 at the bottom
    if (v < 0.30) {
        // 75% colour bars: white, yellow, cyan, green, magenta, red, blue, black.
        static const double kBars[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                           {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
        const double* bar = kBars[x * 8 / kWidth];
        return FromRgb(0.75 * bar[0], 0.75 * bar[1], 0.75 * bar[2]);
    }
    if (v < 0.60) {
        // Zone plate: rings whose frequency rises to 0.45 cycles per pixel at the sides,
        // moving outwards a little every field.
        const double dx = x - kWidth / 2 + 0.5;
        const double dy = line - 0.45 * height;
        const double phase = 0.45 * kPi / 360 * (dx * dx + dy * dy) - 0.9 * t;
        return Grey(126 + 96 * std::cos(phase));
    }
    if (v < 0.82) {
        // Hue sweep with a ball crossing it back and forth, 3 seconds each way.
        const double bandTop = 0.60 * height;
        const double bandHeight = 0.22 * height;
        const double travel = kWidth - 120;
        const double s = std::fmod(t / 75.0, 2.0);
        const double cx = 60 + travel * (s < 1 ? s : 2 - s);
        const double cy = bandTop + bandHeight / 2;
        const double rx = (x - cx) / 48;
        const double ry = (line - cy) / 40;
        if (rx * rx + ry * ry < 1) return FromRgb(0.9, 0.9, 0.85);
        return Hue(static_cast<double>(x) / kWidth, 0.75);
    }
    if (v < 0.90) {
        // Left: one-pixel vertical lines (the finest horizontal detail), then one-line
        // horizontal stripes (each field flat: one black, one white); right: grey scale.
        if (x < 120) return Grey(x % 2 ? 235 : 16);
        if (x < 240) return Grey(line % 2 ? 235 : 16);
        return Grey(16 + (x - 240) * 219.0 / (kWidth - 241));
    }
    // Frame counter, white on black, right-aligned.
    const int top = static_cast<int>(0.90 * height) + (static_cast<int>(0.10 * height) - 40) / 2;
    const int y = line - top;
    if (y >= 0 && y < 40 && x >= kWidth - 40 - 6 * 30 && x < kWidth - 40) {
        const int cell = (x - (kWidth - 40 - 6 * 30)) / 30;
        long long value = frame;
        for (int i = 5; i > cell; --i) value /= 10;
        const int cx = (x - (kWidth - 40 - 6 * 30)) % 30;
        if (cx < 24 && DigitCovers(static_cast<int>(value % 10), cx, y)) return Grey(235);
    }
    return Grey(16);
}

uint8_t ToByte(double value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

void DrawDemoFrame(long long frame, int height, uint8_t* destination, ptrdiff_t pitch) {
    for (int line = 0; line < height; ++line) {
        const double t = frame + (line % 2 == 0 ? 0.5 : 0.0);
        uint8_t* out = destination + line * pitch;
        for (int x = 0; x < kWidth; x += 2) {
            const Colour a = Pixel(x, line, height, t, frame);
            const Colour b = Pixel(x + 1, line, height, t, frame);
            out[2 * x + 0] = ToByte(a.y);
            out[2 * x + 1] = ToByte((a.cb + b.cb) / 2);
            out[2 * x + 2] = ToByte(b.y);
            out[2 * x + 3] = ToByte((a.cr + b.cr) / 2);
        }
    }
}

DemoSource::DemoSource(int height, long long frames) : height_(height), frames_(frames) {
    frame_.Allocate(static_cast<size_t>(kWidth) * 2 * height);
}

FrameSource::Result DemoSource::Next(SourceFrame* frame, std::string*) {
    if (next_ >= frames_) return Result::kEnd;
    DrawDemoFrame(next_++, height_, frame_.Data(), kWidth * 2);
    frame->top = frame_.Data();
    frame->pitch = kWidth * 2;
    frame->fourcc = DVENC_FOURCC_YUY2;
    return Result::kFrame;
}

}  // namespace dvenc
