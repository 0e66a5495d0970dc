// The best-quality mode through the public interface: every frame fits its segments, decodes
// (libavcodec and libdv, without a warning) and parses in every system, and beats the default
// frames where the budget is short.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if ENC_DV_HAVE_LIBDV
#include <libdv/dv.h>
#include <unistd.h>
#endif

#include "conformance/conformance_support.h"
#include "enc_dv.h"
#include "support/dv_decoder.h"
#include "support/dv_video_parser.h"
#include "support/psnr.h"

namespace encdv {
namespace test {
namespace {

struct System {
    const char* name;
    int height;
    unsigned flags;
    bool is420;
};

const System kSystems[] = {
    {"625/50 4:2:0", 576, 0, true},
    {"625/50 4:1:1", 576, DVENC_FLAG_SMPTE314M, false},
    {"525/60 480 lines", 480, 0, false},
    {"525/60 486 lines", 486, 0, false},
};

// Flat grey, and lines alternating between two levels: a field difference in every block.
Yuy2Picture MakePatternPicture(int height, bool stripes) {
    Yuy2Picture picture;
    picture.width = 720;
    picture.height = height;
    picture.bytes.resize(static_cast<size_t>(2 * 720 * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 2 * 720; ++x) {
            const bool luma = x % 2 == 0;
            const int level = stripes ? (y % 2 ? 40 : 200) + (x / 2) % 37 : 128;
            picture.bytes[static_cast<size_t>(y * 2 * 720 + x)] =
                static_cast<uint8_t>(luma ? level : 128 + (stripes ? (y % 4) * 20 - 30 : 0));
        }
    }
    return picture;
}

// libavcodec and (where the tests have it) libdv decode the frame without a word of warning.
::testing::AssertionResult ReadWithoutWarning(const std::vector<uint8_t>& frame) {
    DecodedFrame decoded;
    std::string reason;
    if (!DecodeDvFrame(frame.data(), frame.size(), decoded, &reason, true))
        return ::testing::AssertionFailure() << "libavcodec: " << reason;
#if ENC_DV_HAVE_LIBDV
    // libdv reports to its error log and to standard error: both go to files here.
    std::FILE* log = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (log == nullptr || err == nullptr) return ::testing::AssertionFailure() << "no tmpfile";
    std::fflush(stderr);
    const int savedStderr = dup(fileno(stderr));
    dup2(fileno(err), fileno(stderr));
    dv_decoder_t* decoder = dv_decoder_new(0, 0, 0);
    dv_set_error_log(decoder, log);
    dv_set_quality(decoder, DV_QUALITY_BEST);
    std::vector<uint8_t> pixels(static_cast<size_t>(720) * 576 * 2);
    uint8_t* planes[3] = {pixels.data(), nullptr, nullptr};
    int pitches[3] = {720 * 2, 0, 0};
    const int header = dv_parse_header(decoder, frame.data());
    dv_decode_full_frame(decoder, frame.data(), e_dv_color_yuv, planes, pitches);
    dv_decoder_free(decoder);
    std::fflush(stderr);
    dup2(savedStderr, fileno(stderr));
    close(savedStderr);
    std::fseek(log, 0, SEEK_END);
    std::fseek(err, 0, SEEK_END);
    const long logged = std::ftell(log) + std::ftell(err);
    std::fclose(log);
    std::fclose(err);
    if (header < 0) return ::testing::AssertionFailure() << "libdv refused the header";
    if (logged != 0) return ::testing::AssertionFailure() << "libdv wrote " << logged << " bytes";
    // The two decoders agree on the picture (they round differently, nothing more: 50 dB and
    // more on every case here).
    const int lines = decoded.height;
    std::vector<uint8_t> luma(static_cast<size_t>(720) * lines);
    for (size_t i = 0; i < luma.size(); ++i) luma[i] = pixels[2 * i];
    const double agreement = Psnr(decoded.y.data(), 720, luma.data(), 720, 720, lines);
    if (agreement < 45)
        return ::testing::AssertionFailure() << "the decoders agree to " << agreement << " dB";
#endif
    return ::testing::AssertionSuccess();
}

// Every frame decodes and every block of every segment is read to its end-of-block: the mode
// keeps each segment within its room instead of letting the packing drop codes.
TEST(BestQuality, EveryFrameFitsItsSegmentsAndDecodes) {
    for (const System& system : kSystems) {
        const Yuy2Picture pictures[] = {
            MakeSmoothPicture(720, system.height), MakeNoisePicture(720, system.height, 4242),
            MakePatternPicture(system.height, false), MakePatternPicture(system.height, true)};
        for (int p = 0; p < 4; ++p) {
            for (unsigned extra : {0u, unsigned{DVENC_FLAG_SWAP_FIELDS}}) {
                SCOPED_TRACE(std::string(system.name) + " picture " + std::to_string(p) +
                             (extra ? " swapped" : ""));
                const unsigned flags = system.flags | extra | DVENC_FLAG_BEST_QUALITY;
                const std::vector<uint8_t> frame = EncodeYuy2(pictures[p], flags);
                ASSERT_EQ(frame.size(), system.height == 576 ? 144000u : 120000u);
                DecodedFrame decoded;
                std::string reason;
                EXPECT_TRUE(DecodeAndCheck(frame, decoded, reason)) << reason;
                EXPECT_TRUE(ReadWithoutWarning(frame));
                std::vector<ParsedSegment> segments;
                ASSERT_TRUE(ParseVideoSegments(frame.data(), frame.size(), segments, &reason))
                    << reason;
                ASSERT_EQ(segments.size(), system.height == 576 ? 324u : 270u);
                int incomplete = 0;
                for (const ParsedSegment& segment : segments)
                    incomplete += segment.incompleteBlocks;
                EXPECT_EQ(incomplete, 0);
                // The one-pass rate control has nothing to say in this mode.
                if (p == 0) {
                    EXPECT_EQ(EncodeYuy2(pictures[p], flags | DVENC_FLAG_MB_QUANT), frame);
                }
            }
        }
    }
}

struct Planes {
    double luma, cb, cr;
};

Planes Measure(const Yuy2Picture& picture, const System& system, unsigned flags) {
    const std::vector<uint8_t> frame = EncodeYuy2(picture, system.flags | flags);
    DecodedFrame decoded;
    std::string reason;
    EXPECT_TRUE(DecodeAndCheck(frame, decoded, reason)) << reason;
    const int first = system.height == 486 ? 2 : 0;
    const int lines = system.height == 486 ? 480 : system.height;
    const std::vector<uint8_t> luma = LumaPlane(picture);
    auto chroma = [&](const std::vector<uint8_t>& plane) {
        return system.is420 ? ReferenceChroma420(plane, first, lines)
                            : ReferenceChroma411(plane, first, lines);
    };
    const std::vector<uint8_t> cb = chroma(CbPlane422(picture));
    const std::vector<uint8_t> cr = chroma(CrPlane422(picture));
    const int cw = decoded.chromaWidth;
    const int ch = decoded.chromaHeight;
    return {Psnr(luma.data() + 720 * first, 720, decoded.y.data(), 720, 720, lines),
            Psnr(cb.data(), cw, decoded.cb.data(), cw, cw, ch),
            Psnr(cr.data(), cw, decoded.cr.data(), cw, cw, ch)};
}

// On the natural-looking picture the mode must gain luma PSNR over the default frames
// without giving up colour.
TEST(BestQuality, GainsLumaOverTheDefaultWithoutLosingColour) {
    for (const System& system : kSystems) {
        SCOPED_TRACE(system.name);
        const Yuy2Picture picture = MakeSmoothPicture(720, system.height);
        const Planes plain = Measure(picture, system, 0);
        const Planes best = Measure(picture, system, DVENC_FLAG_BEST_QUALITY);
        std::printf("%-17s default Y %.2f Cb %.2f Cr %.2f, best Y %.2f Cb %.2f Cr %.2f dB\n",
                    system.name, plain.luma, plain.cb, plain.cr, best.luma, best.cb, best.cr);
        EXPECT_GT(best.luma, plain.luma + 0.3);
        EXPECT_GE(best.cb, plain.cb);
        EXPECT_GE(best.cr, plain.cr);
    }
}

// The Quality setting "best" gives the frames of the flag; other words leave the default.
TEST(BestQuality, SettingTurnsTheModeOnForEveryFrame) {
    const Yuy2Picture picture = MakeSmoothPicture(720, 480);
    const std::vector<uint8_t> plain = EncodeYuy2(picture, 0);
    const std::vector<uint8_t> best = EncodeYuy2(picture, DVENC_FLAG_BEST_QUALITY);
    ASSERT_NE(plain, best);
    const struct {
        const char* value;
        bool best;
    } cases[] = {
        {"best", true}, {" BEST\n", true}, {"default", false}, {"", false}, {"fast", false}};
    for (const auto& c : cases) {
        setenv("DVCODEC_QUALITY", c.value, 1);
        EXPECT_EQ(EncodeYuy2(picture, 0), c.best ? best : plain) << '"' << c.value << '"';
        EXPECT_EQ(EncodeYuy2(picture, DVENC_FLAG_BEST_QUALITY), best) << '"' << c.value << '"';
    }
    unsetenv("DVCODEC_QUALITY");
}

}  // namespace
}  // namespace test
}  // namespace encdv
