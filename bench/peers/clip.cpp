// The benchmark clips: the test suite's synthetic pictures and pans and zooms across real
// photographs, in every input form.
#include "clip.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "resample.h"
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

// Where a picture lies on the photograph mosaic: the mosaic position of its first sample
// and the mosaic samples per picture sample.
struct View {
    double left, top, step;
};

// v folded back and forth into [low, high].
double PingPong(double v, double low, double high) {
    const double period = 2 * (high - low);
    const double u = std::fmod(v - low, period);
    return low + (u <= high - low ? u : period - u);
}

// One 4:2:2 picture of the mosaic through the view, chroma co-sited with the even luma
// samples (ITU-R BT.601) and filtered to its spacing.
std::vector<uint8_t> Render(const PhotoCanvas& canvas, int height, const View& v) {
    const Taps lumaColumns =
        MakeTaps(EvenPositions(v.left, v.step, kWidth), v.step, canvas.y.width);
    const Taps chromaColumns =
        MakeTaps(EvenPositions(v.left, 2 * v.step, kChroma422Width), 2 * v.step, canvas.y.width);
    const Taps rows = MakeTaps(EvenPositions(v.top, v.step, height), v.step, canvas.y.height);
    const FloatPlane y = Resample(canvas.y, lumaColumns, rows);
    const FloatPlane cb = Resample(canvas.cb, chromaColumns, rows);
    const FloatPlane cr = Resample(canvas.cr, chromaColumns, rows);
    // Kept within the studio range, which every encoder under test takes as it is.
    auto level = [](float value, double low, double high) {
        return static_cast<uint8_t>(std::lround(std::clamp<double>(value, low, high)));
    };
    std::vector<uint8_t> yuy2(static_cast<size_t>(2) * kWidth * height);
    for (int line = 0; line < height; ++line) {
        uint8_t* out = &yuy2[static_cast<size_t>(line) * 2 * kWidth];
        for (int k = 0; k < kChroma422Width; ++k) {
            out[4 * k] = level(y.At(2 * k, line), 16, 235);
            out[4 * k + 1] = level(cb.At(k, line), 16, 240);
            out[4 * k + 2] = level(y.At(2 * k + 1, line), 16, 235);
            out[4 * k + 3] = level(cr.At(k, line), 16, 240);
        }
    }
    return yuy2;
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

Clip MakePhotoPanClip(const PhotoCanvas& canvas, int height, Sampling sampling, int frameCount) {
    Clip clip = EmptyClip("photo-pan", height, sampling);
    const double right = canvas.y.width - kWidth - 1, bottom = canvas.y.height - height - 1;
    for (int k = 0; k < frameCount; ++k) {
        const View v{PingPong(40 + 83.37 * k, 0, right), PingPong(20 + 17.71 * k, 0, bottom), 1};
        clip.frames.push_back(MakeFrame(Render(canvas, height, v), height, sampling));
    }
    return clip;
}

Clip MakePhotoZoomClip(const PhotoCanvas& canvas, int height, Sampling sampling, int frameCount) {
    Clip clip = EmptyClip("photo-zoom", height, sampling);
    const double centreX = canvas.y.width / 2.0 - 0.5, centreY = canvas.y.height / 2.0 - 0.5;
    for (int k = 0; k < frameCount; ++k) {
        const double step = PingPong(0.8 + 0.0787 * k, 0.8, 1.35);
        const View v{centreX - step * (kWidth - 1) / 2, centreY - step * (height - 1) / 2, step};
        clip.frames.push_back(MakeFrame(Render(canvas, height, v), height, sampling));
    }
    return clip;
}

Clip MakeInterlacedClip(const PhotoCanvas& canvas, int height, Sampling sampling, int frameCount) {
    Clip clip = EmptyClip("interlaced", height, sampling);
    const double right = canvas.y.width - kWidth - 1, bottom = canvas.y.height - height - 1;
    auto view = [&](double fields) {
        return View{PingPong(300 + 4.3 * fields, 0, right), PingPong(100 + 0.6 * fields, 0, bottom),
                    1};
    };
    const int firstFieldLine = height == 576 ? 0 : 1;
    for (int k = 0; k < frameCount; ++k) {
        std::vector<uint8_t> picture = Render(canvas, height, view(2.0 * k));
        const std::vector<uint8_t> later = Render(canvas, height, view(2.0 * k + 1));
        const size_t pitch = static_cast<size_t>(2) * kWidth;
        for (int line = 1 - firstFieldLine; line < height; line += 2)
            std::memcpy(&picture[line * pitch], &later[line * pitch], pitch);
        clip.frames.push_back(MakeFrame(std::move(picture), height, sampling));
    }
    return clip;
}

}  // namespace bench
}  // namespace encdv
