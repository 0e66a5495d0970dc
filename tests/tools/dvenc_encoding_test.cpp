// dvenc end to end: YUV4MPEG2 through a pipe decoded by an independent decoder, raw layouts
// and options reaching the library unchanged, the demo clip, and the documented interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "dvenc_runner.h"
#include "enc_dv.h"
#include "support/dv_decoder.h"
#include "support/psnr.h"
#include "support/synthetic_picture.h"
#include "test_streams.h"

namespace dvenc_test {
namespace {

using encdv::test::DecodedFrame;
using encdv::test::Psnr;

// The library's own frame for a source buffer, for comparison with what dvenc wrote.
std::vector<uint8_t> LibraryFrame(const uint8_t* top, int pitch, int height, unsigned flags,
                                  unsigned fourcc) {
    std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES);
    const int n = CompressBuffer_DV(top, pitch, out.data(), 0, 720, height, 0, flags, fourcc);
    out.resize(n);
    return out;
}

// What dvenc writes for times copies of a library frame without --audio, --timecode or
// --date: each frame completed by the library's writers with the time code counting from
// 00:00:00:00 (drop-frame at 525/60) and silence. Every byte is compared, the header's
// transmitting flags too.
std::vector<uint8_t> AsDvencWrites(const std::vector<uint8_t>& frame, int times) {
    std::vector<uint8_t> out;
    const int bytes = static_cast<int>(frame.size());
    const bool is525 = bytes == DVENC_FRAME_BYTES_525 || bytes == DVENC_FRAME_BYTES_525_NO_HEADER;
    const DVEncTimecode first = {0, 0, 0, 0, is525 ? 1 : 0};
    for (int i = 0; i < times; ++i) {
        std::vector<uint8_t> complete = frame;
        EXPECT_EQ(DVEncWriteTimecode(complete.data(), bytes, &first, i), DVENC_FILL_OK);
        EXPECT_EQ(DVEncWriteAudio(complete.data(), bytes, nullptr, 0, 2, 48000, i), DVENC_FILL_OK);
        out.insert(out.end(), complete.begin(), complete.end());
    }
    return out;
}

DecodedFrame Decode(const std::vector<uint8_t>& dv, size_t at, size_t bytes) {
    DecodedFrame decoded;
    std::string error;
    EXPECT_TRUE(encdv::test::DecodeDvFrame(dv.data() + at, bytes, decoded, &error)) << error;
    return decoded;
}

TEST(DvencEncoding, PipedYuv4mpegDecodesToThePictureThatWentIn) {
    // 4:2:0 through standard input, as an ffmpeg pipe delivers it, back out of the
    // independent decoder on the same 4:2:0 grid: Cb and Cr in their own planes, unshifted.
    ScratchDir dir;
    const Planes422 p = SplitYuy2(encdv::test::MakeSmoothPicture(720, 576));
    const std::vector<uint8_t> cb = Chroma420(p.cb, 576), cr = Chroma420(p.cr, 576);
    dir.Write("in.y4m",
              Y4mStream("W720 H576 F25:1 Ib C420mpeg2", Bytes(p.y) + Bytes(cb) + Bytes(cr), 3));
    const RunResult r = dir.Shell("cat in.y4m | \"$DVENC\" --quiet - out.dv");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const std::vector<uint8_t> dv = dir.Read("out.dv");
    ASSERT_EQ(dv.size(), 3u * DVENC_FRAME_BYTES_625);
    for (int f = 0; f < 3; ++f) {
        const DecodedFrame d = Decode(dv, f * size_t{DVENC_FRAME_BYTES_625}, DVENC_FRAME_BYTES_625);
        ASSERT_EQ(d.height, 576);
        EXPECT_GT(Psnr(d.y, p.y, 720, 576), 40.0);
        EXPECT_GT(Psnr(d.cb, cb, 360, 288), 38.0);
        EXPECT_GT(Psnr(d.cr, cr, 360, 288), 38.0);
    }
}

std::vector<uint8_t> Concatenated(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                  const std::vector<uint8_t>& c) {
    std::vector<uint8_t> all(a);
    all.insert(all.end(), b.begin(), b.end());
    all.insert(all.end(), c.begin(), c.end());
    return all;
}

TEST(DvencEncoding, Yuv4mpegFrameReachesTheLibraryInTheRightLayout) {
    // 4:2:2 encodes as YUY2, 4:2:0 and 4:1:1 as their planes whatever the siting, and 4:4:4
    // as VUYA (alpha 255, or the alpha plane); mono has neutral chroma. Each is checked
    // against the library fed with a frame made here.
    ScratchDir dir;
    const std::vector<uint8_t> y = Noise(720 * 576, 1), u = Noise(720 * 576, 2),
                               v = Noise(720 * 576, 3), a = Noise(720 * 576, 4);
    std::vector<uint8_t> yuy2(720 * 2 * 576), vuya(720 * 4 * 576), vuyaAlpha(720 * 4 * 576),
        grey(720 * 2 * 576);
    for (int i = 0; i < 720 * 576; ++i) {
        const int pair = i / 2;  // 4:2:2 chroma taken from the first 360 x 576 samples
        yuy2[2 * i] = y[i];
        yuy2[2 * i + 1] = i % 2 ? v[pair] : u[pair];
        grey[2 * i] = y[i];
        grey[2 * i + 1] = 128;
        for (auto* out : {&vuya, &vuyaAlpha}) {
            (*out)[4 * i] = v[i];
            (*out)[4 * i + 1] = u[i];
            (*out)[4 * i + 2] = y[i];
        }
        vuya[4 * i + 3] = 255;
        vuyaAlpha[4 * i + 3] = a[i];
    }
    auto first = [](const std::vector<uint8_t>& plane, size_t n) {
        return std::vector<uint8_t>(plane.begin(), plane.begin() + n);
    };
    const std::string chroma422 = Bytes(first(u, 360 * 576)) + Bytes(first(v, 360 * 576));
    // 4:2:0 and 4:1:1 reach the library as their planes (I420, Y41B), unchanged.
    const std::vector<uint8_t> planes420 =
        Concatenated(y, first(u, 360 * 288), first(v, 360 * 288));
    const std::vector<uint8_t> planes411 =
        Concatenated(y, first(u, 180 * 576), first(v, 180 * 576));
    const std::vector<uint8_t> planes420At480 =
        Concatenated(first(y, 720 * 480), first(u, 360 * 240), first(v, 360 * 240));
    const struct {
        const char* name;
        std::string planes;
        const std::vector<uint8_t>* packed;
        int pitch;
        unsigned fourcc;
        const char* options;
        unsigned flags;
        int height = 576;
    } cases[] = {
        {"422", Bytes(y) + chroma422, &yuy2, 1440, DVENC_FOURCC_YUY2, "", 0},
        // No 4:2:0 stream here has an I tag: with the scan unknown the fields are kept apart,
        // as in an interlaced stream (at 525/60 the library interpolates the chroma to 4:1:1
        // within each field).
        {"420paldv", Bytes(planes420), &planes420, 720, DVENC_FOURCC_I420, "", 0},
        {"420jpeg", Bytes(planes420), &planes420, 720, DVENC_FOURCC_I420, "", 0},
        {"420mpeg2", Bytes(planes420At480), &planes420At480, 720, DVENC_FOURCC_I420, "", 0, 480},
        {"411", Bytes(planes411), &planes411, 720, DVENC_FOURCC_Y41B, "--smpte314m",
         DVENC_FLAG_SMPTE314M},
        {"444", Bytes(y) + Bytes(u) + Bytes(v), &vuya, 2880, DVENC_FOURCC_VUYA, "", 0},
        {"444alpha", Bytes(y) + Bytes(u) + Bytes(v) + Bytes(a), &vuyaAlpha, 2880, DVENC_FOURCC_VUYA,
         "--alpha-weight", DVENC_FLAG_ALPHA_WEIGHT},
        {"mono", Bytes(y), &grey, 1440, DVENC_FOURCC_YUY2, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("in.y4m",
                  Y4mStream("W720 H" + std::to_string(c.height) + " C" + c.name, c.planes, 2));
        const RunResult r =
            dir.Dvenc(std::string("--quiet --quality exact ") + c.options + " in.y4m out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        const std::vector<uint8_t> expected =
            LibraryFrame(c.packed->data(), c.pitch, c.height, c.flags, c.fourcc);
        ASSERT_EQ(expected.size(), static_cast<size_t>(c.height == 576 ? DVENC_FRAME_BYTES_625
                                                                       : DVENC_FRAME_BYTES_525));
        EXPECT_TRUE(dir.Read("out.dv") == AsDvencWrites(expected, 2));
    }
}

TEST(DvencEncoding, RawFramesOfEveryLayoutPitchAndOrderEncodeAsTheLibraryDoes) {
    ScratchDir dir;
    const struct {
        const char* name;
        unsigned fourcc;
        int bytesPerPixel;
    } layouts[] = {
        {"YUY2", DVENC_FOURCC_YUY2, 2}, {"YUYV", DVENC_FOURCC_YUYV, 2},
        {"YuYv", DVENC_FOURCC_YuYv, 2}, {"UYVY", DVENC_FOURCC_UYVY, 2},
        {"UyVy", DVENC_FOURCC_UyVy, 2}, {"BGR3", DVENC_FOURCC_BGR3, 3},
        {"BGR4", DVENC_FOURCC_BGR4, 4}, {"BGRA", DVENC_FOURCC_BGRA, 4},
        {"VUYA", DVENC_FOURCC_VUYA, 4}, {"R24C", DVENC_FOURCC_R24C, 3},
        {"R32C", DVENC_FOURCC_R32C, 4},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const int line = 720 * layout.bytesPerPixel;
        const int height = layout.bytesPerPixel == 3 ? 480 : 576;  // both systems covered
        const std::vector<uint8_t> frame = Noise(static_cast<size_t>(line) * height, line);
        const std::vector<uint8_t> expected =
            LibraryFrame(frame.data(), line, height, 0, layout.fourcc);
        ASSERT_FALSE(expected.empty());

        // Plain, padded to a longer pitch, and stored bottom line first.
        const int pitch = line + 64;
        std::vector<uint8_t> padded(static_cast<size_t>(pitch) * height, 0xEE),
            bottomUp(frame.size());
        for (int r = 0; r < height; ++r) {
            std::memcpy(&padded[r * pitch], &frame[r * line], line);
            std::memcpy(&bottomUp[(height - 1 - r) * line], &frame[r * line], line);
        }
        dir.Write("plain.raw", Bytes(frame) + Bytes(frame));
        dir.Write("padded.raw", padded);
        dir.Write("bottom-up.raw", bottomUp);
        const std::string format = std::string("--quiet --quality exact --fourcc ") + layout.name +
                                   " --size 720x" + std::to_string(height);
        ASSERT_EQ(dir.Dvenc(format + " plain.raw a.dv").exitCode, 0);
        ASSERT_EQ(
            dir.Dvenc(format + " --pitch " + std::to_string(pitch) + " padded.raw b.dv").exitCode,
            0);
        ASSERT_EQ(dir.Dvenc(format + " --bottom-up bottom-up.raw c.dv").exitCode, 0);
        EXPECT_TRUE(dir.Read("a.dv") == AsDvencWrites(expected, 2));
        EXPECT_TRUE(dir.Read("b.dv") == AsDvencWrites(expected, 1));
        EXPECT_TRUE(dir.Read("c.dv") == AsDvencWrites(expected, 1));
    }
}

// Planar raw frames: the planes as they are and with a longer luma pitch (the chroma planes'
// pitch following from it); planar frames are top line first only.
TEST(DvencEncoding, RawPlanarFramesEncodeAsTheLibraryDoes) {
    ScratchDir dir;
    const struct {
        const char* name;
        unsigned fourcc;
        int divisor;
        bool halved;
        int height;
    } layouts[] = {
        {"I420", DVENC_FOURCC_I420, 2, true, 576},  {"YV12", DVENC_FOURCC_YV12, 2, true, 480},
        {"Y41B", DVENC_FOURCC_Y41B, 4, false, 480}, {"Y42B", DVENC_FOURCC_Y42B, 2, false, 576},
        {"YV16", DVENC_FOURCC_YV16, 2, false, 486},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const std::string format = std::string("--quiet --quality exact --fourcc ") + layout.name +
                                   " --size 720x" + std::to_string(layout.height);
        for (const int pitch : {720, 736}) {
            const size_t chromaLines = layout.halved ? layout.height / 2 : layout.height;
            const std::vector<uint8_t> frame =
                Noise(static_cast<size_t>(pitch) * layout.height +
                          2 * static_cast<size_t>(pitch / layout.divisor) * chromaLines,
                      pitch);
            const std::vector<uint8_t> expected =
                LibraryFrame(frame.data(), pitch, layout.height, 0, layout.fourcc);
            ASSERT_FALSE(expected.empty());
            dir.Write("in.raw", Bytes(frame));
            ASSERT_EQ(
                dir.Dvenc(format + " --pitch " + std::to_string(pitch) + " in.raw out.dv").exitCode,
                0);
            EXPECT_TRUE(dir.Read("out.dv") == AsDvencWrites(expected, 1));
        }
        const RunResult upside = dir.Dvenc(format + " --bottom-up in.raw out.dv");
        EXPECT_EQ(upside.exitCode, 2);
        EXPECT_NE(upside.errors.find("--bottom-up is for packed layouts"), std::string::npos);
    }
}

TEST(DvencEncoding, OptionsReachTheLibraryAsTheirFlags) {
    ScratchDir dir;
    const std::vector<uint8_t> frame = Noise(1440 * 576, 99);
    dir.Write("in.raw", frame);
    const struct {
        const char* options;
        unsigned flags;
    } cases[] = {
        {"--single-thread", DVENC_FLAG_SINGLE_THREAD | DVENC_FLAG_BEST_QUALITY},
        {"--threads 2", DVENC_FLAG_BEST_QUALITY},
        {"--threads 2 --quality exact", 0},
        {"--wide --smpte314m --no-header-block --swap-fields --mb-quant",
         DVENC_FLAG_WIDE | DVENC_FLAG_SMPTE314M | DVENC_FLAG_NO_HEADER_BLOCK |
             DVENC_FLAG_SWAP_FIELDS | DVENC_FLAG_MB_QUANT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const RunResult r = dir.Dvenc(std::string("--quiet --fourcc YUY2 --size 720x576 ") +
                                      c.options + " in.raw out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_TRUE(
            dir.Read("out.dv") ==
            AsDvencWrites(LibraryFrame(frame.data(), 1440, 576, c.flags, DVENC_FOURCC_YUY2), 1));
    }

    // A 16:9 sample aspect in the stream means --wide; --frames stops early; "-" writes to
    // standard output.
    const Planes422 p = SplitYuy2(encdv::test::MakeSmoothPicture(720, 576));
    const std::string planes = Bytes(p.y) + Bytes(p.cb) + Bytes(p.cr);
    dir.Write("wide.y4m", Y4mStream("W720 H576 A64:45 C422", planes, 3));
    dir.Write("square.y4m", Y4mStream("W720 H576 A1:1 C422", planes, 3));
    ASSERT_EQ(dir.Dvenc("--quiet --frames 2 wide.y4m - > from-aspect.dv").exitCode, 0);
    ASSERT_EQ(dir.Dvenc("--quiet --frames 2 --wide square.y4m forced.dv").exitCode, 0);
    ASSERT_EQ(dir.Dvenc("--quiet square.y4m narrow.dv").exitCode, 0);
    EXPECT_EQ(dir.Read("from-aspect.dv").size(), 2u * DVENC_FRAME_BYTES_625);
    EXPECT_TRUE(dir.Read("from-aspect.dv") == dir.Read("forced.dv"));
    const std::vector<uint8_t> forced = dir.Read("forced.dv");
    const std::vector<uint8_t> narrow = dir.Read("narrow.dv");
    ASSERT_EQ(narrow.size(), 3u * DVENC_FRAME_BYTES_625);
    EXPECT_FALSE(
        std::equal(forced.begin(), forced.begin() + DVENC_FRAME_BYTES_625, narrow.begin()));
}

TEST(DvencEncoding, DemoClipIsFiveSecondsOfDecodableMovingPicture) {
    ScratchDir dir;
    RunResult r = dir.Dvenc("--demo demo.dv");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const std::vector<uint8_t> dv = dir.Read("demo.dv");
    ASSERT_EQ(dv.size(), 125u * DVENC_FRAME_BYTES_625);
    DecodedFrame previous;
    for (int f = 0; f < 125; f += 31) {
        const DecodedFrame d = Decode(dv, f * size_t{DVENC_FRAME_BYTES_625}, DVENC_FRAME_BYTES_625);
        ASSERT_EQ(d.height, 576);
        if (f > 0) {
            EXPECT_LT(Psnr(d.y, previous.y, 720, 576), 30.0);  // it moves
        }
        previous = d;
    }
    r = dir.Dvenc("--quiet --demo --size 720x480 --frames 3 demo525.dv");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(dir.Read("demo525.dv").size(), 3u * DVENC_FRAME_BYTES_525);
    Decode(dir.Read("demo525.dv"), 0, DVENC_FRAME_BYTES_525);
}

TEST(DvencEncoding, VersionIsTheReleaseAndTheLibrarysQueryTexts) {
    ScratchDir dir;
    char version[12] = {};
    char platform[16] = {};
    ASSERT_EQ(DVEncGetAPIExt(DVENC_API_QUERY_INFO)(DVENC_QUERY_VERSION, version), 0);
    ASSERT_EQ(DVEncGetAPIExt(DVENC_API_QUERY_INFO)(DVENC_QUERY_PLATFORM, platform), 0);
    const RunResult r = dir.Dvenc("--version > version.txt");
    EXPECT_EQ(r.exitCode, 0);
    const std::vector<uint8_t> out = dir.Read("version.txt");
    const std::string line(out.begin(), out.end());
    EXPECT_EQ(line.rfind("dvenc " DVENC_TEST_PROJECT_VERSION " (", 0), 0u) << line;
    EXPECT_NE(
        line.find(std::string("(enc_dv interface ") + version + ", platform " + platform + ")\n"),
        std::string::npos)
        << line;
}

TEST(DvencEncoding, ReadmeListsTheOptionsExactlyAsHelpDoes) {
    ScratchDir dir;
    ASSERT_EQ(dir.Dvenc("--help > help.txt").exitCode, 0);
    const std::vector<uint8_t> help = dir.Read("help.txt");
    std::ifstream readme(std::string(ENC_DV_SOURCE_DIR) + "/README.md");
    const std::string text((std::istreambuf_iterator<char>(readme)), {});
    ASSERT_NE(text.find("## Command-line encoder"), std::string::npos);
    EXPECT_NE(text.find("```text\n" + std::string(help.begin(), help.end()) + "```"),
              std::string::npos)
        << "README's dvenc --help block differs from the program's";
}

}  // namespace
}  // namespace dvenc_test
