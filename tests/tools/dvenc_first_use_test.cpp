// What a new user meets first: help, the advice for a wrong picture size, full-range
// input, the field-order note, a file that cannot play, an input without frames, and the
// README's ffmpeg examples.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "dvenc_runner.h"
#include "enc_dv.h"
#include "sources/range_conversion.h"
#include "test_streams.h"

namespace dvenc_test {
namespace {

constexpr char kNoFfmpeg[] = "ffmpeg and ffprobe are not installed (apt-get install ffmpeg)";

bool HaveFfmpeg(const ScratchDir& dir) {
    return dir.Shell("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null").exitCode == 0;
}

TEST(DvencFirstUse, ShortHelpOptionPrintsTheHelp) {
    ScratchDir dir;
    ASSERT_EQ(dir.Dvenc("-h > short.txt").exitCode, 0);
    ASSERT_EQ(dir.Dvenc("--help > long.txt").exitCode, 0);
    EXPECT_EQ(Bytes(dir.Read("short.txt")).rfind("Usage: dvenc", 0), 0u);
    EXPECT_TRUE(dir.Read("short.txt") == dir.Read("long.txt"));
}

TEST(DvencFirstUse, InputWithoutFramesIsAnErrorAndLeavesNoFile) {
    ScratchDir dir;
    dir.Write("header-only.y4m", std::string("YUV4MPEG2 W720 H576 F25:1 C420jpeg\n"));
    dir.Write("empty.raw", std::string());
    dir.Write("kept.dv", std::string("precious"));
    const struct {
        const char* arguments;
        const char* output;
        const char* reason;
    } cases[] = {
        {"header-only.y4m out.dv", "out.dv", "'header-only.y4m' holds no frames"},
        {"- piped.dv < header-only.y4m", "piped.dv", "standard input holds no frames"},
        {"--fourcc UYVY --size 720x576 empty.raw raw.dv", "raw.dv", "'empty.raw' holds no frames"},
        {"header-only.y4m kept.dv", "kept.dv", "'header-only.y4m' holds no frames"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const RunResult r = dir.Dvenc(c.arguments);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.errors, std::string("dvenc: error: ") + c.reason + "; nothing was written\n");
        if (std::string(c.output) == "kept.dv") {
            EXPECT_EQ(Bytes(dir.Read("kept.dv")), "precious");
        } else {
            EXPECT_NE(dir.Shell(std::string("test -e ") + c.output).exitCode, 0) << c.output;
        }
    }
}

TEST(DvencFirstUse, NoHeaderBlockWarnsThatTheFileWillNotPlay) {
    ScratchDir dir;
    RunResult r = dir.Dvenc("--demo --frames 1 --no-header-block out.dv");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.errors.rfind("dvenc: warning: without header blocks (--no-header-block) the "
                             "output is not a playable DV file\n",
                             0),
              0u)
        << r.errors;
    EXPECT_EQ(dir.Read("out.dv").size(), 12u * 149 * 80);
    r = dir.Dvenc("--quiet --demo --frames 1 --no-header-block out.dv");
    EXPECT_EQ(r.errors, "");
}

TEST(DvencFirstUse, FullRangeInputIsEncodedAsItsStudioRangeEquivalent) {
    // A full-range stream and the same picture brought to studio range here give the same
    // DV frames; the stream read as studio range would not.
    ScratchDir dir;
    std::vector<uint8_t> planes = Noise(720 * 576 * 2, 42);  // 4:2:2 Y, Cb, Cr
    planes[0] = 0;
    planes[1] = 255;
    dir.Write("full.y4m", Y4mStream("W720 H576 C422 XCOLORRANGE=FULL", Bytes(planes), 1));
    dir.Write("unmarked.y4m", Y4mStream("W720 H576 C422", Bytes(planes), 1));
    dvenc::FullToStudioLuma(planes.data(), 720 * 576);
    dvenc::FullToStudioChroma(planes.data() + 720 * 576, 720 * 576);
    EXPECT_EQ(planes[0], 16);
    EXPECT_EQ(planes[1], 235);
    dir.Write("studio.y4m", Y4mStream("W720 H576 C422 XCOLORRANGE=LIMITED", Bytes(planes), 1));
    ASSERT_EQ(dir.Dvenc("--quiet full.y4m full.dv").exitCode, 0);
    ASSERT_EQ(dir.Dvenc("--quiet studio.y4m studio.dv").exitCode, 0);
    ASSERT_EQ(dir.Dvenc("--quiet unmarked.y4m unmarked.dv").exitCode, 0);
    EXPECT_TRUE(dir.Read("full.dv") == dir.Read("studio.dv"));
    EXPECT_FALSE(dir.Read("full.dv") == dir.Read("unmarked.dv"));
}

TEST(DvencFirstUse, SizeErrorNamesAChainThatMakesADvPicture) {
    // The chain in the message, run by ffmpeg on a 1280x720 50 fps clip, gives a stream
    // dvenc takes: 625/50 16:9 at 25 frames a second.
    ScratchDir dir;
    if (!HaveFfmpeg(dir)) GTEST_SKIP() << kNoFfmpeg;
    ASSERT_EQ(dir.Shell("ffmpeg -v error -f lavfi -i testsrc=s=1280x720:r=50:d=0.4 -f "
                        "yuv4mpegpipe -pix_fmt yuv420p hd.y4m")
                  .exitCode,
              0);
    const RunResult r = dir.Dvenc("hd.y4m out.dv");
    EXPECT_EQ(r.exitCode, 1);
    std::smatch chain;
    ASSERT_TRUE(std::regex_search(r.errors, chain, std::regex("-vf \"[^\"]+\""))) << r.errors;
    const RunResult fixed = dir.Shell("ffmpeg -v error -i hd.y4m " + chain.str() +
                                      " -f yuv4mpegpipe -pix_fmt yuv422p - | \"$DVENC\" - out.dv");
    ASSERT_EQ(fixed.exitCode, 0) << fixed.errors;
    EXPECT_NE(fixed.errors.find("10 frames (0.40 s of 625/50 DV, 4:2:0, 16:9)"), std::string::npos)
        << fixed.errors;
}

TEST(DvencFirstUse, ReadmeExamplesKeepTheShapeAndTheRate) {
    // Each "ffmpeg -i clip.mov ... | dvenc ..." line of the README, run on a 10 fps 5:4 clip
    // of one second: a whole second of DV at the system's rate, in the aspect the comment
    // above it names, the colour converted to BT.601 and, for interlaced material, every
    // scale keeping the fields apart.
    ScratchDir dir;
    if (!HaveFfmpeg(dir)) GTEST_SKIP() << kNoFfmpeg;
    ASSERT_EQ(dir.Shell("ffmpeg -v error -f lavfi -i testsrc=s=640x512:r=10:d=1 -pix_fmt "
                        "yuv420p -c:v ffv1 clip.mov")
                  .exitCode,
              0);
    std::ifstream readme(std::string(ENC_DV_SOURCE_DIR) + "/README.md");
    const std::string text((std::istreambuf_iterator<char>(readme)), {});
    const std::regex example("# ([^\n]*)\n(ffmpeg -i clip.mov [^\n]*\\| dvenc [^\n]*)\n");
    int examples = 0;
    for (auto m = std::sregex_iterator(text.begin(), text.end(), example);
         m != std::sregex_iterator(); ++m) {
        const std::string comment = (*m)[1];
        SCOPED_TRACE(comment);
        ++examples;
        const std::string command =
            std::regex_replace(std::string((*m)[2]), std::regex("\\| dvenc "), "| \"$DVENC\" ");
        const RunResult r = dir.Shell(command);
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        const bool is525 = comment.find("525/60") != std::string::npos;
        const bool wide = comment.find("16:9") != std::string::npos;
        const std::string summary = std::string(is525 ? "30 frames (1.00 s of 525/60 DV"
                                                      : "25 frames (1.00 s of 625/50 DV");
        EXPECT_NE(r.errors.find(summary), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find(wide ? "16:9)" : "4:3)"), std::string::npos) << r.errors;
        // Padded or cropped, never stretched: the picture's middle row of the 5:4 test
        // pattern keeps its proportions only through pad or crop.
        EXPECT_TRUE(command.find("pad=") != std::string::npos ||
                    command.find("crop=") != std::string::npos);
        EXPECT_NE(command.find(is525 ? "fps=30000/1001" : "fps=25"), std::string::npos);
        EXPECT_NE(command.find("out_color_matrix=bt601:out_range=tv"), std::string::npos);
        if (comment.find("Interlaced") != std::string::npos) {
            int scales = 0;
            for (size_t at = command.find("scale="); at != std::string::npos;
                 at = command.find("scale=", at + 1)) {
                ++scales;
                const std::string filter =
                    command.substr(at, command.find_first_of(",\"", at) - at);
                EXPECT_NE(filter.find(":interl=1"), std::string::npos) << filter;
            }
            EXPECT_EQ(scales, 3);
        }
    }
    EXPECT_GE(examples, 4);
}

TEST(DvencFirstUse, ReadmeOneLineCommandsRunOnAFile) {
    // The "dvenc ... clip.mov clip.dv" lines that open the README's section on dvenc, run on
    // a clip with two audio streams, when dvenc reads files.
    ScratchDir dir;
    if (!HaveFfmpeg(dir)) GTEST_SKIP() << kNoFfmpeg;
    dir.Dvenc("--version > version.txt");
    if (Bytes(dir.Read("version.txt")).find("files read through") == std::string::npos) {
        GTEST_SKIP() << "dvenc was built without FFmpeg's libraries";
    }
    ASSERT_EQ(dir.Shell("ffmpeg -v error -f lavfi -i testsrc=s=640x360:r=25:d=0.4 -f lavfi -i "
                        "sine=d=0.4 -f lavfi -i sine=f=880:d=0.4 -map 0 -map 1 -map 2 -c:v ffv1 "
                        "-c:a pcm_s16le clip.mov")
                  .exitCode,
              0);
    std::ifstream readme(std::string(ENC_DV_SOURCE_DIR) + "/README.md");
    const std::string text((std::istreambuf_iterator<char>(readme)), {});
    const size_t section = text.find("## Command-line encoder");
    const size_t block = text.find("```sh\n", section);
    const std::string commands = text.substr(block, text.find("```\n", block + 6) - block);
    const std::regex line("\n(dvenc [^\n#]*clip\\.mov clip\\.dv)");
    int run = 0;
    for (auto m = std::sregex_iterator(commands.begin(), commands.end(), line);
         m != std::sregex_iterator(); ++m) {
        SCOPED_TRACE((*m)[1]);
        ++run;
        const RunResult r =
            dir.Shell("rm -f clip.dv && \"$DVENC\" --quiet " + std::string((*m)[1]).substr(6));
        EXPECT_EQ(r.exitCode, 0) << r.errors;
        const size_t bytes = dir.Read("clip.dv").size();
        EXPECT_TRUE(bytes == 10u * DVENC_FRAME_BYTES_625 || bytes == 12u * DVENC_FRAME_BYTES_525)
            << bytes;
    }
    EXPECT_GE(run, 4);
}

}  // namespace
}  // namespace dvenc_test
