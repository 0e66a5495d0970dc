#include "sources/demo_picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "enc_dv.h"

namespace dvenc {

namespace {

constexpr int kWidth = 720;
constexpr double kPi = 3.14159265358979323846;
constexpr double kZoneScale = 96 * 128;  // ring amplitude 96, 7 fractional bits
constexpr int kBallHalfWidth = 48;
constexpr int kBallHalfHeight = 40;
constexpr int kCounterLeft = kWidth - 40 - 6 * 30;
constexpr int kCounterRight = kWidth - 40;

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

const Colour kBall = FromRgb(0.9, 0.9, 0.85);

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

// The colour of the still parts at pixel (x, line): everything but the zone plate, the
// ball and the counter's digits.
Colour StillPixel(int x, int line, int height) {
    const double v = static_cast<double>(line) / height;  // 0 at the top, 1 at the bottom
    if (v < 0.30) {
        // 75% colour bars: white, yellow, cyan, green, magenta, red, blue, black.
        static const double kBars[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                           {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
        const double* bar = kBars[x * 8 / kWidth];
        return FromRgb(0.75 * bar[0], 0.75 * bar[1], 0.75 * bar[2]);
    }
    if (v < 0.60) return Grey(126);  // zone plate, drawn per frame
    if (v < 0.82) return Hue(static_cast<double>(x) / kWidth, 0.75);
    if (v < 0.90) {
        // Left: one-pixel vertical lines (the finest horizontal detail), then one-line
        // horizontal stripes (each field flat: one black, one white); right: grey scale.
        if (x < 120) return Grey(x % 2 ? 235 : 16);
        if (x < 240) return Grey(line % 2 ? 235 : 16);
        return Grey(16 + (x - 240) * 219.0 / (kWidth - 241));
    }
    return Grey(16);
}

uint8_t ToByte(double value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// The first line whose share of the height reaches fraction (the bands' edges).
int FirstLineAt(double fraction, int height) {
    int line = 0;
    while (line < height && static_cast<double>(line) / height < fraction) ++line;
    return line;
}

// Time of the lines of a parity: odd lines at the frame's instant, even ones half a frame on.
double FieldTime(long long frame, int parity) {
    return static_cast<double>(frame) + (parity == 0 ? 0.5 : 0.0);
}

}  // namespace

DemoPicture::DemoPicture(int height) : height_(height) {
    const size_t bytes = static_cast<size_t>(kPitch) * height;
    picture_.Allocate(bytes);
    background_.resize(bytes);
    for (int line = 0; line < height; ++line) {
        uint8_t* out = &background_[static_cast<size_t>(line) * kPitch];
        for (int x = 0; x < kWidth; x += 2) {
            const Colour a = StillPixel(x, line, height);
            const Colour b = StillPixel(x + 1, line, height);
            out[2 * x + 0] = ToByte(a.y);
            out[2 * x + 1] = ToByte((a.cb + b.cb) / 2);
            out[2 * x + 2] = ToByte(b.y);
            out[2 * x + 3] = ToByte((a.cr + b.cr) / 2);
        }
    }
    std::memcpy(picture_.Data(), background_.data(), bytes);

    // Zone plate: rings whose frequency rises to 0.45 cycles per pixel at the sides, moving
    // outwards a little every field: 126 + 96 cos(phase - 0.9 t), kept as the cosine and
    // sine of each sample's phase so that a frame costs two multiplications per sample.
    zoneTop_ = FirstLineAt(0.30, height);
    zoneBottom_ = FirstLineAt(0.60, height);
    zoneCos_.resize(static_cast<size_t>(zoneBottom_ - zoneTop_) * kWidth);
    zoneSin_.resize(zoneCos_.size());
    for (int line = zoneTop_; line < zoneBottom_; ++line) {
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x - kWidth / 2 + 0.5;
            const double dy = line - 0.45 * height;
            const double phase = 0.45 * kPi / 360 * (dx * dx + dy * dy);
            const size_t i = static_cast<size_t>(line - zoneTop_) * kWidth + x;
            zoneCos_[i] = static_cast<int16_t>(std::lround(kZoneScale * std::cos(phase)));
            zoneSin_[i] = static_cast<int16_t>(std::lround(kZoneScale * std::sin(phase)));
        }
    }

    bandTop_ = FirstLineAt(0.60, height);
    bandBottom_ = FirstLineAt(0.82, height);
    for (int x = 0; x < kWidth; ++x) {
        const Colour c = Hue(static_cast<double>(x) / kWidth, 0.75);
        hueY_.push_back(c.y);
        hueCb_.push_back(c.cb);
        hueCr_.push_back(c.cr);
    }
    counterTop_ = static_cast<int>(0.90 * height) + (static_cast<int>(0.10 * height) - 40) / 2;
}

const uint8_t* DemoPicture::Draw(long long frame) {
    DrawZonePlate(frame);
    for (int parity = 0; parity < 2; ++parity) {
        Restore(ballBoxes_[parity]);
        ballBoxes_[parity] = DrawBall(frame, parity);
    }
    DrawCounter(frame);
    return picture_.Data();
}

void DemoPicture::DrawZonePlate(long long frame) {
    for (int parity = 0; parity < 2; ++parity) {
        const double angle = 0.9 * FieldTime(frame, parity);
        const int32_t c = static_cast<int32_t>(std::lround(32767 * std::cos(angle)));
        const int32_t s = static_cast<int32_t>(std::lround(32767 * std::sin(angle)));
        // 126 + (96 x 128 cos p x 32767 cos a + ... ) / 2^22, rounded; never below 0.
        const int32_t offset = (126 << 22) + (1 << 21);
        const int first = zoneTop_ + ((zoneTop_ % 2) != parity ? 1 : 0);
        for (int line = first; line < zoneBottom_; line += 2) {
            const size_t row = static_cast<size_t>(line - zoneTop_) * kWidth;
            const int16_t* cosine = &zoneCos_[row];
            const int16_t* sine = &zoneSin_[row];
            uint8_t* out = picture_.Data() + static_cast<size_t>(line) * kPitch;
            for (int x = 0; x < kWidth; ++x) {
                out[2 * x] = static_cast<uint8_t>((offset + cosine[x] * c + sine[x] * s) >> 22);
            }
        }
    }
}

DemoPicture::Box DemoPicture::DrawBall(long long frame, int parity) {
    // The ball crosses the hue band back and forth, 3 seconds each way.
    const double t = FieldTime(frame, parity);
    const double bandTop = 0.60 * height_;
    const double bandHeight = 0.22 * height_;
    const double travel = kWidth - 120;
    const double phase = std::fmod(t / 75.0, 2.0);
    const double cx = 60 + travel * (phase < 1 ? phase : 2 - phase);
    const double cy = bandTop + bandHeight / 2;
    Box box;
    box.left = std::max(0, (static_cast<int>(cx) - kBallHalfWidth - 2) & ~1);
    box.right = std::min(kWidth, static_cast<int>(cx) + kBallHalfWidth + 2);
    box.top = std::max(bandTop_, static_cast<int>(cy) - kBallHalfHeight - 1);
    box.bottom = std::min(bandBottom_, static_cast<int>(cy) + kBallHalfHeight + 2);
    if (box.top % 2 != parity) ++box.top;
    const auto inside = [&](int x, int line) {
        const double rx = (x - cx) / kBallHalfWidth;
        const double ry = (line - cy) / kBallHalfHeight;
        return rx * rx + ry * ry < 1;
    };
    for (int line = box.top; line < box.bottom; line += 2) {
        uint8_t* out = picture_.Data() + static_cast<size_t>(line) * kPitch;
        for (int x = box.left; x < box.right; x += 2) {
            const bool a = inside(x, line);
            const bool b = inside(x + 1, line);
            if (!a && !b) continue;
            const Colour ca = a ? kBall : Colour{hueY_[x], hueCb_[x], hueCr_[x]};
            const Colour cb = b ? kBall : Colour{hueY_[x + 1], hueCb_[x + 1], hueCr_[x + 1]};
            out[2 * x + 0] = ToByte(ca.y);
            out[2 * x + 1] = ToByte((ca.cb + cb.cb) / 2);
            out[2 * x + 2] = ToByte(cb.y);
            out[2 * x + 3] = ToByte((ca.cr + cb.cr) / 2);
        }
    }
    return box;
}

void DemoPicture::Restore(const Box& box) {
    for (int line = box.top; line < box.bottom; line += 2) {
        const size_t at = static_cast<size_t>(line) * kPitch + 2 * box.left;
        std::memcpy(picture_.Data() + at, &background_[at], 2 * (box.right - box.left));
    }
}

void DemoPicture::DrawCounter(long long frame) {
    // Six digits, white on black, right-aligned at the bottom.
    int digits[6];
    long long value = frame;
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<int>(value % 10);
        value /= 10;
    }
    for (int y = 0; y < 40; ++y) {
        const int line = counterTop_ + y;
        if (line < 0 || line >= height_) continue;
        uint8_t* out = picture_.Data() + static_cast<size_t>(line) * kPitch;
        for (int x = kCounterLeft; x < kCounterRight; ++x) {
            const int cell = (x - kCounterLeft) / 30;
            const int cx = (x - kCounterLeft) % 30;
            out[2 * x] = cx < 24 && DigitCovers(digits[cell], cx, y) ? 235 : 16;
        }
    }
}

DemoSource::DemoSource(int height, long long frames)
    : height_(height), frames_(frames), picture_(height) {}

FrameSource::Result DemoSource::Next(SourceFrame* frame, std::string*) {
    if (next_ >= frames_) return Result::kEnd;
    frame->top = picture_.Draw(next_++);
    frame->pitch = DemoPicture::kPitch;
    frame->fourcc = DVENC_FOURCC_YUY2;
    return Result::kFrame;
}

}  // namespace dvenc
