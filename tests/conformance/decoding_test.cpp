#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "conformance/conformance_support.h"
#include "enc_dv.h"
#include "support/psnr.h"

namespace encdv {
namespace test {
namespace {

struct ModeCase {
    const char* name;
    int height;
    unsigned flags;
    bool is420;
    // Thresholds a little under the measured figures (dB), sequential then one-pass.
    double minLuma[2];
    double minChroma[2];
};

const ModeCase kModes[] = {
    {"625/50 4:2:0", 576, 0, true, {50.2, 47.8}, {48.5, 46.1}},
    {"625/50 4:1:1", 576, DVENC_FLAG_SMPTE314M, false, {50.2, 47.8}, {46.7, 44.4}},
    {"525/60 480 lines", 480, 0, false, {50.2, 47.8}, {46.7, 44.4}},
    {"525/60 486 lines", 486, 0, false, {50.2, 47.8}, {46.7, 44.4}},
};

struct Quality {
    double luma, cb, cr;
    // Over all three planes, each weighted by its sample count.
    double overall;
};

Quality Measure(const Yuy2Picture& picture, const ModeCase& mode, const DecodedFrame& decoded) {
    const int first = mode.height == 486 ? 2 : 0;
    const int lines = mode.height == 486 ? 480 : mode.height;
    const std::vector<uint8_t> luma = LumaPlane(picture);
    const std::vector<uint8_t> cb422 = CbPlane422(picture);
    const std::vector<uint8_t> cr422 = CrPlane422(picture);
    const std::vector<uint8_t> cb = mode.is420 ? ReferenceChroma420(cb422, first, lines)
                                               : ReferenceChroma411(cb422, first, lines);
    const std::vector<uint8_t> cr = mode.is420 ? ReferenceChroma420(cr422, first, lines)
                                               : ReferenceChroma411(cr422, first, lines);
    const int cw = decoded.chromaWidth;
    const int ch = decoded.chromaHeight;
    Quality q;
    q.luma = Psnr(luma.data() + 720 * first, 720, decoded.y.data(), 720, 720, lines);
    q.cb = Psnr(cb.data(), cw, decoded.cb.data(), cw, cw, ch);
    q.cr = Psnr(cr.data(), cw, decoded.cr.data(), cw, cw, ch);
    auto mse = [](double psnr) { return 255.0 * 255.0 / std::pow(10.0, psnr / 10); };
    const double lumaSamples = 720.0 * lines;
    const double chromaSamples = static_cast<double>(cw) * ch;
    const double total = mse(q.luma) * lumaSamples + (mse(q.cb) + mse(q.cr)) * chromaSamples;
    q.overall = 10 * std::log10(255.0 * 255.0 * (lumaSamples + 2 * chromaSamples) / total);
    return q;
}

// Every mode decodes with the independent decoder to the picture the encoder was given, in
// both rate-control modes, and the sequential selection is never worse than the one-pass.
TEST(IndependentDecoding, SmoothPictureKeepsItsQualityInEveryMode) {
    for (const ModeCase& mode : kModes) {
        SCOPED_TRACE(mode.name);
        const Yuy2Picture picture = MakeSmoothPicture(720, mode.height);
        Quality quality[2];
        for (int onePass = 0; onePass < 2; ++onePass) {
            const unsigned flags = mode.flags | (onePass ? DVENC_FLAG_MB_QUANT : 0);
            const std::vector<uint8_t> frame = EncodeYuy2(picture, flags);
            ASSERT_EQ(frame.size(), mode.height == 576 ? 144000u : 120000u);
            DecodedFrame decoded;
            std::string reason;
            ASSERT_TRUE(DecodeAndCheck(frame, decoded, reason)) << reason;
            ASSERT_EQ(decoded.width, 720);
            ASSERT_EQ(decoded.height, mode.height == 576 ? 576 : 480);
            ASSERT_EQ(decoded.chromaWidth, mode.is420 ? 360 : 180);
            const Quality& q = quality[onePass] = Measure(picture, mode, decoded);
            std::printf("%-17s %-10s PSNR Y %.2f Cb %.2f Cr %.2f all %.2f dB\n", mode.name,
                        onePass ? "one-pass" : "sequential", q.luma, q.cb, q.cr, q.overall);
            EXPECT_GE(q.luma, mode.minLuma[onePass]);
            EXPECT_GE(q.cb, mode.minChroma[onePass]);
            EXPECT_GE(q.cr, mode.minChroma[onePass]);
        }
        EXPECT_GE(quality[0].luma, quality[1].luma);
        EXPECT_GE(quality[0].overall, quality[1].overall);
    }
}

// Noise overflows nearly every segment; the frames must still decode cleanly.
TEST(IndependentDecoding, NoiseDecodesInEveryModeAndRateControl) {
    for (const ModeCase& mode : kModes) {
        for (unsigned rate : {0u, unsigned{DVENC_FLAG_MB_QUANT}}) {
            SCOPED_TRACE(std::string(mode.name) + (rate ? " one-pass" : " sequential"));
            const std::vector<uint8_t> frame =
                EncodeYuy2(MakeNoisePicture(720, mode.height, 1234567), mode.flags | rate);
            ASSERT_FALSE(frame.empty());
            DecodedFrame decoded;
            std::string reason;
            EXPECT_TRUE(DecodeAndCheck(frame, decoded, reason)) << reason;
        }
    }
}

// Every source layout, in every mode, with arbitrary bytes (alpha weighting on for the
// layouts that have alpha), gives a frame the independent decoder accepts.
TEST(IndependentDecoding, EveryLayoutDecodes) {
    struct Layout {
        unsigned fourcc;
        int bytesPerPixel;
    };
    const Layout layouts[] = {
        {DVENC_FOURCC_YUY2, 2}, {DVENC_FOURCC_YUYV, 2}, {DVENC_FOURCC_YuYv, 2},
        {DVENC_FOURCC_UYVY, 2}, {DVENC_FOURCC_UyVy, 2}, {DVENC_FOURCC_BGR3, 3},
        {DVENC_FOURCC_BGR4, 4}, {DVENC_FOURCC_BGRA, 4}, {DVENC_FOURCC_VUYA, 4},
        {DVENC_FOURCC_R24C, 3}, {DVENC_FOURCC_R32C, 4},
    };
    const Yuy2Picture noise = MakeNoisePicture(720 * 2, 576, 99);  // 4 x 720 x 576 bytes
    for (const Layout& layout : layouts) {
        for (const ModeCase& mode : kModes) {
            SCOPED_TRACE(std::to_string(layout.fourcc) + " " + mode.name);
            const std::vector<uint8_t> frame =
                EncodeRaw(noise.bytes, layout.bytesPerPixel, mode.height,
                          mode.flags | DVENC_FLAG_ALPHA_WEIGHT, layout.fourcc);
            ASSERT_FALSE(frame.empty());
            DecodedFrame decoded;
            std::string reason;
            EXPECT_TRUE(DecodeAndCheck(frame, decoded, reason)) << reason;
        }
    }
}

}  // namespace
}  // namespace test
}  // namespace encdv
