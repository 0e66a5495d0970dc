// The benchmark clips: the test suite's synthetic pictures, in every input form.
#include "clip.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "support/synthetic_picture.h"

namespace encdv {
namespace bench {
namespace {

constexpr int kWidth = 720;
constexpr int kChroma422Width = kWidth / 2;

uint8_t Clamp8(double value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
}

// Studio-range Y'CbCr (ITU-R BT.601) to full-range B G R x.
void ToBgr4(const std::vector<uint8_t>& yuy2, std::vector<uint8_t>& bgr4) {
    bgr4.resize(yuy2.size() * 2);
    for (size_t pair = 0; pair < yuy2.size() / 4; ++pair) {
        const uint8_t* p = &yuy2[4 * pair];
        const double cb = p[1] - 128.0;
        const double cr = p[3] - 128.0;
        for (int i = 0; i < 2; ++i) {
            const double y = 1.164383 * (p[2 * i] - 16.0);
            uint8_t* out = &bgr4[8 * pair + 4 * i];
            out[0] = Clamp8(y + 2.017232 * cb);
            out[1] = Clamp8(y - 0.391762 * cb - 0.812968 * cr);
            out[2] = Clamp8(y + 1.596027 * cr);
            out[3] = 0;
        }
    }
}

// 4:2:0 of the 625/50 system: chroma line 2g + j from lines 4g + j and 4g + j + 2, which
// belong to the same field, rounded average.
std::vector<uint8_t> Chroma420(const std::vector<uint8_t>& plane422, int lines) {
    std::vector<uint8_t> out(static_cast<size_t>(kChroma422Width) * (lines / 2));
    for (int r = 0; r < lines / 2; ++r) {
        const int line = 4 * (r / 2) + r % 2;
        for (int c = 0; c < kChroma422Width; ++c) {
            const int a = plane422[static_cast<size_t>(line) * kChroma422Width + c];
            const int b = plane422[static_cast<size_t>(line + 2) * kChroma422Width + c];
            out[static_cast<size_t>(r) * kChroma422Width + c] =
                static_cast<uint8_t>((a + b + 1) >> 1);
        }
    }
    return out;
}

// 4:1:1: every second 4:2:2 sample through the 1-6-1 filter, end samples repeated.
std::vector<uint8_t> Chroma411(const std::vector<uint8_t>& plane422, int lines) {
    constexpr int kOut = kChroma422Width / 2;
    std::vector<uint8_t> out(static_cast<size_t>(kOut) * lines);
    for (int r = 0; r < lines; ++r) {
        const uint8_t* s = &plane422[static_cast<size_t>(r) * kChroma422Width];
        for (int k = 0; k < kOut; ++k) {
            const int c = 2 * k;
            const int left = s[c > 0 ? c - 1 : 0];
            const int right = s[c < kChroma422Width - 1 ? c + 1 : kChroma422Width - 1];
            out[static_cast<size_t>(r) * kOut + k] =
                static_cast<uint8_t>((left + 6 * s[c] + right + 2) >> 3);
        }
    }
    return out;
}

ClipFrame MakeFrame(std::vector<uint8_t> yuy2, int height, Sampling sampling) {
    test::Yuy2Picture picture;
    picture.width = kWidth;
    picture.height = height;
    picture.bytes = std::move(yuy2);
    ClipFrame frame;
    frame.y = test::LumaPlane(picture);
    const auto cb = test::CbPlane422(picture);
    const auto cr = test::CrPlane422(picture);
    frame.cb = sampling == Sampling::k420 ? Chroma420(cb, height) : Chroma411(cb, height);
    frame.cr = sampling == Sampling::k420 ? Chroma420(cr, height) : Chroma411(cr, height);
    ToBgr4(picture.bytes, frame.bgr4);
    frame.yuy2 = std::move(picture.bytes);
    return frame;
}

Clip EmptyClip(const char* content, int height, Sampling sampling) {
    Clip clip;
    clip.content = content;
    clip.height = height;
    clip.sampling = sampling;
    clip.chromaWidth = sampling == Sampling::k420 ? kChroma422Width : kChroma422Width / 2;
    clip.chromaHeight = sampling == Sampling::k420 ? height / 2 : height;
    return clip;
}

}  // namespace

Clip MakeNaturalClip(int height, Sampling sampling, int frameCount) {
    Clip clip = EmptyClip("natural", height, sampling);
    // Two pixels right and one line down per frame.
    const test::Yuy2Picture canvas =
        test::MakeSmoothPicture(kWidth + 2 * frameCount, height + frameCount);
    for (int k = 0; k < frameCount; ++k) {
        std::vector<uint8_t> window(static_cast<size_t>(2) * kWidth * height);
        for (int line = 0; line < height; ++line) {
            const uint8_t* from =
                &canvas.bytes[static_cast<size_t>(line + k) * canvas.Pitch() + 2 * (2 * k)];
            std::memcpy(&window[static_cast<size_t>(line) * 2 * kWidth], from, 2 * kWidth);
        }
        clip.frames.push_back(MakeFrame(std::move(window), height, sampling));
    }
    return clip;
}

Clip MakeNoiseClip(int height, Sampling sampling, int frameCount) {
    Clip clip = EmptyClip("noise", height, sampling);
    for (int k = 0; k < frameCount; ++k) {
        clip.frames.push_back(MakeFrame(
            test::MakeNoisePicture(kWidth, height, 0x9E3779B9u + k).bytes, height, sampling));
    }
    return clip;
}

}  // namespace bench
}  // namespace encdv
