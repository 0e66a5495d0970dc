// Every source layout through the whole encoder: the same picture given in any of the eleven
// FOURCCs codes as well as its YUY2 form, and the frame does not depend on the threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "conformance/conformance_support.h"
#include "enc_dv.h"
#include "support/psnr.h"

namespace encdv {
namespace test {
namespace {

enum class Family { kYuy2, kUyvy, kVuya, kFullRgb, kStudioRgb };

struct Layout {
    const char* name;
    unsigned fourcc;
    int bytesPerPixel;
    Family family;
};

const Layout kLayouts[] = {
    {"YUY2", DVENC_FOURCC_YUY2, 2, Family::kYuy2},
    {"YUYV", DVENC_FOURCC_YUYV, 2, Family::kYuy2},
    {"YuYv", DVENC_FOURCC_YuYv, 2, Family::kYuy2},
    {"UYVY", DVENC_FOURCC_UYVY, 2, Family::kUyvy},
    {"UyVy", DVENC_FOURCC_UyVy, 2, Family::kUyvy},
    {"VUYA", DVENC_FOURCC_VUYA, 4, Family::kVuya},
    {"BGR3", DVENC_FOURCC_BGR3, 3, Family::kFullRgb},
    {"BGR4", DVENC_FOURCC_BGR4, 4, Family::kFullRgb},
    {"BGRA", DVENC_FOURCC_BGRA, 4, Family::kFullRgb},
    {"R24C", DVENC_FOURCC_R24C, 3, Family::kStudioRgb},
    {"R32C", DVENC_FOURCC_R32C, 4, Family::kStudioRgb},
};

struct Mode {
    const char* name;
    int height;
    unsigned flags;
};

const Mode kModes[] = {
    {"625/50 4:2:0", 576, 0},
    {"625/50 4:1:1", 576, DVENC_FLAG_SMPTE314M},
    {"525/60 480 lines", 480, 0},
    {"525/60 486 lines", 486, 0},
};

uint8_t Clamp8(double v) {
    return static_cast<uint8_t>(std::lround(std::min(255.0, std::max(0.0, v))));
}

// A picture in one layout, with the luma it carries and the same picture as YUY2 (its luma,
// and its chroma averaged over each pixel pair), both worked out in floating point from the
// Rec. 601 coefficients.
struct LayoutPicture {
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> luma;  // 720 x height
    Yuy2Picture asYuy2;
};

LayoutPicture Build(const Yuy2Picture& source, const Layout& layout) {
    const int height = source.height;
    LayoutPicture out;
    out.bytes.resize(static_cast<size_t>(720) * layout.bytesPerPixel * height);
    out.luma.resize(static_cast<size_t>(720) * height);
    out.asYuy2 = source;
    for (int line = 0; line < height; ++line) {
        for (int x = 0; x < 720; x += 2) {
            const uint8_t* pair = &source.bytes[static_cast<size_t>(line) * 1440 + 2 * x];
            const double cb = pair[1] - 128.0, cr = pair[3] - 128.0;
            double cbSum = 0, crSum = 0;
            for (int k = 0; k < 2; ++k) {
                const double y = pair[2 * k];
                uint8_t* p =
                    &out.bytes[(static_cast<size_t>(line) * 720 + x + k) * layout.bytesPerPixel];
                uint8_t* yOut = &out.luma[static_cast<size_t>(line) * 720 + x + k];
                switch (layout.family) {
                    case Family::kYuy2:
                        if (k == 0) std::copy(pair, pair + 4, p);
                        *yOut = pair[2 * k];
                        continue;
                    case Family::kUyvy:
                        if (k == 0) p[0] = pair[1], p[1] = pair[0], p[2] = pair[3], p[3] = pair[2];
                        *yOut = pair[2 * k];
                        continue;
                    case Family::kVuya:
                        p[0] = pair[3], p[1] = pair[1], p[2] = pair[2 * k], p[3] = 255;
                        *yOut = pair[2 * k];
                        continue;
                    default:
                        break;
                }
                uint8_t r, g, b;
                double yExact, cbExact, crExact;
                if (layout.family == Family::kFullRgb) {
                    const double yf = 1.164 * (y - 16);
                    r = Clamp8(yf + 1.596 * cr);
                    g = Clamp8(yf - 0.392 * cb - 0.813 * cr);
                    b = Clamp8(yf + 2.017 * cb);
                    yExact = 16 + 0.2567 * r + 0.5038 * g + 0.0983 * b;
                    const double yFull = (yExact - 16) * 255 / 219;
                    cbExact = 128 + 0.4960 * (b - yFull);
                    crExact = 128 + 0.6265 * (r - yFull);
                } else {
                    r = Clamp8(y + cr / 0.7294);
                    b = Clamp8(y + cb / 0.5776);
                    g = Clamp8((y - 0.2989 * r - 0.1145 * b) / 0.5866);
                    yExact = 0.2989 * r + 0.5866 * g + 0.1145 * b;
                    cbExact = 128 + 0.5776 * (b - yExact);
                    crExact = 128 + 0.7294 * (r - yExact);
                }
                p[0] = b, p[1] = g, p[2] = r;
                if (layout.bytesPerPixel == 4) p[3] = 255;
                *yOut = Clamp8(yExact);
                cbSum += cbExact, crSum += crExact;
            }
            uint8_t* twin = &out.asYuy2.bytes[static_cast<size_t>(line) * 1440 + 2 * x];
            twin[0] = out.luma[static_cast<size_t>(line) * 720 + x];
            twin[2] = out.luma[static_cast<size_t>(line) * 720 + x + 1];
            if (layout.family == Family::kFullRgb || layout.family == Family::kStudioRgb) {
                twin[1] = Clamp8(cbSum / 2), twin[3] = Clamp8(crSum / 2);
            }
        }
    }
    return out;
}

double LumaPsnr(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& luma, int height) {
    DecodedFrame decoded;
    std::string reason;
    EXPECT_TRUE(DecodeAndCheck(frame, decoded, reason)) << reason;
    if (decoded.y.empty()) return 0;
    const int first = height == 486 ? 2 : 0;
    const int lines = height == 486 ? 480 : height;
    return Psnr(luma.data() + 720 * first, 720, decoded.y.data(), 720, 720, lines);
}

// Every FOURCC in every mode decodes, with luma PSNR against its own source within 0.5 dB of
// the same picture encoded from YUY2.
TEST(SourceFormats, EveryLayoutCodesAsWellAsYuy2) {
    for (const Mode& mode : kModes) {
        const Yuy2Picture source = MakeSmoothPicture(720, mode.height);
        for (const Layout& layout : kLayouts) {
            SCOPED_TRACE(std::string(layout.name) + " " + mode.name);
            const LayoutPicture picture = Build(source, layout);
            const std::vector<uint8_t> frame = EncodeRaw(picture.bytes, layout.bytesPerPixel,
                                                         mode.height, mode.flags, layout.fourcc);
            ASSERT_FALSE(frame.empty());
            const double psnr = LumaPsnr(frame, picture.luma, mode.height);
            const double yuy2Psnr =
                LumaPsnr(EncodeYuy2(picture.asYuy2, mode.flags), picture.luma, mode.height);
            std::printf("%-17s %s luma PSNR %.2f dB, as YUY2 %.2f dB\n", mode.name, layout.name,
                        psnr, yuy2Psnr);
            EXPECT_NEAR(psnr, yuy2Psnr, 0.5);
            // Fully opaque pixels weigh to themselves.
            if (layout.fourcc == DVENC_FOURCC_BGRA || layout.fourcc == DVENC_FOURCC_R32C ||
                layout.fourcc == DVENC_FOURCC_VUYA) {
                EXPECT_EQ(EncodeRaw(picture.bytes, layout.bytesPerPixel, mode.height,
                                    mode.flags | DVENC_FLAG_ALPHA_WEIGHT, layout.fourcc),
                          frame);
            }
        }
    }
}

// Every reader gives the same frame on the calling thread alone, on as many threads as the
// machine has, and through a handle whose workers persist across frames.
TEST(SourceFormats, EveryLayoutCodesAlikeOnOneOrManyThreads) {
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    const Yuy2Picture noise = MakeNoisePicture(720 * 2, 576, 7);  // 4 x 720 x 576 bytes
    for (const Mode& mode : kModes) {
        for (const Layout& layout : kLayouts) {
            SCOPED_TRACE(std::string(layout.name) + " " + mode.name);
            for (unsigned alpha : {0u, unsigned{DVENC_FLAG_ALPHA_WEIGHT}}) {
                const unsigned flags = mode.flags | alpha;
                const std::vector<uint8_t> single =
                    EncodeRaw(noise.bytes, layout.bytesPerPixel, mode.height,
                              flags | DVENC_FLAG_SINGLE_THREAD, layout.fourcc);
                ASSERT_FALSE(single.empty());
                EXPECT_EQ(
                    EncodeRaw(noise.bytes, layout.bytesPerPixel, mode.height, flags, layout.fourcc),
                    single);
                std::vector<uint8_t> withHandle(single.size());
                EXPECT_EQ(DVCompressBuffer(handle, noise.bytes.data(), 720 * layout.bytesPerPixel,
                                           withHandle.data(), 0, 720, mode.height, 0, flags,
                                           layout.fourcc),
                          static_cast<int>(single.size()));
                EXPECT_EQ(withHandle, single);
            }
        }
    }
    DVDoneEnc(handle);
}

}  // namespace
}  // namespace test
}  // namespace encdv
