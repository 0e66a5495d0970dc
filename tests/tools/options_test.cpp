#include "cli/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enc_dv.h"

namespace dvenc {
namespace {

ParseResult Parse(std::vector<const char*> args, Options* options, std::string* error) {
    args.insert(args.begin(), "dvenc");
    return ParseOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(Options, ReadsBothValueSpellingsAndTreatsDashAsAFile) {
    Options o;
    std::string error;
    ASSERT_EQ(Parse({"--fourcc", "BGRA", "-", "--size=720x486", "--pitch", "3072", "--bottom-up",
                     "--frames=9", "--", "--odd.dv"},
                    &o, &error),
              ParseResult::kRun)
        << error;
    EXPECT_EQ(o.input, "-");
    EXPECT_EQ(o.output, "--odd.dv");
    ASSERT_NE(o.fourcc, nullptr);
    EXPECT_EQ(o.fourcc->value, static_cast<unsigned>(DVENC_FOURCC_BGRA));
    EXPECT_EQ(o.height * 10000 + o.pitch, 486 * 10000 + 3072);
    EXPECT_TRUE(o.bottomUp);
    EXPECT_EQ(o.frames, 9);
    EXPECT_EQ(Parse({"in", "--help", "--bogus"}, &o, &error), ParseResult::kHelp);
    EXPECT_EQ(Parse({"-h"}, &o, &error), ParseResult::kHelp);
    ASSERT_EQ(Parse({"--audio", "s.wav", "--timecode=01:02:03;04", "--date", "2026-12-07T08:09:10",
                     "a", "b"},
                    &o, &error),
              ParseResult::kRun)
        << error;
    EXPECT_EQ(o.audio, "s.wav");
    EXPECT_TRUE(o.timecodeGiven && o.timecode.dropFrame && o.timecode.frames == 4);
    EXPECT_TRUE(o.dateGiven && o.date.hour == 8 && o.date.second == 10);
}

TEST(Options, EveryFlagOptionSetsExactlyItsLibraryBit) {
    const struct {
        std::vector<const char*> args;
        unsigned flags;
    } cases[] = {
        {{"a", "b"}, DVENC_FLAG_BEST_QUALITY},  // best unless asked otherwise
        {{"--wide", "a", "b"}, DVENC_FLAG_WIDE | DVENC_FLAG_BEST_QUALITY},
        {{"--smpte314m", "a", "b"}, DVENC_FLAG_SMPTE314M | DVENC_FLAG_BEST_QUALITY},
        {{"--no-header-block", "a", "b"}, DVENC_FLAG_NO_HEADER_BLOCK | DVENC_FLAG_BEST_QUALITY},
        {{"--swap-fields", "a", "b"}, DVENC_FLAG_SWAP_FIELDS | DVENC_FLAG_BEST_QUALITY},
        {{"--mb-quant", "a", "b"}, DVENC_FLAG_MB_QUANT},
        {{"--quality", "best", "a", "b"}, DVENC_FLAG_BEST_QUALITY},
        {{"--quality=exact", "a", "b"}, 0},
        {{"--quality", "exact", "--mb-quant", "a", "b"}, DVENC_FLAG_MB_QUANT},
        {{"--alpha-weight", "a", "b"}, DVENC_FLAG_ALPHA_WEIGHT | DVENC_FLAG_BEST_QUALITY},
        {{"--single-thread", "a", "b"}, DVENC_FLAG_SINGLE_THREAD | DVENC_FLAG_BEST_QUALITY},
        {{"--threads", "1", "a", "b"}, DVENC_FLAG_SINGLE_THREAD | DVENC_FLAG_BEST_QUALITY},
        {{"--threads", "16", "--quiet", "a", "b"}, DVENC_FLAG_BEST_QUALITY},  // threads: affinity
    };
    for (const auto& c : cases) {
        Options o;
        std::string error;
        ASSERT_EQ(Parse(c.args, &o, &error), ParseResult::kRun) << error;
        EXPECT_EQ(FlagsFor(o), c.flags) << c.args[0];
    }
}

TEST(Options, RefusesBadCommandLinesWithAReason) {
    const struct {
        std::vector<const char*> args;
        const char* reason;
    } cases[] = {
        {{"in.y4m"}, "missing OUTPUT"},
        {{"a", "b", "c"}, "too many arguments ('c')"},
        {{"-x", "a", "b"}, "unknown option '-x'"},
        {{"--wide=yes", "a", "b"}, "option --wide takes no value"},
        {{"a", "b", "--fourcc"}, "option --fourcc needs a value"},
        {{"--fourcc", "yuy2", "--size", "720x576", "a", "b"}, "unknown FOURCC 'yuy2'"},
        {{"--fourcc", "YUY2", "a", "b"}, "need --size"},
        {{"--bottom-up", "a", "b"}, "need --fourcc"},
        {{"--fourcc", "YUY2", "--size", "720x576x2", "a", "b"}, "--size takes WxH"},
        {{"--fourcc", "YUY2", "--size", "704x576", "a", "b"}, "unsupported picture size 704x576"},
        {{"--fourcc", "BGR3", "--size", "720x576", "--pitch", "2159", "a", "b"},
         "--pitch 2159 is shorter than a line of 720 BGR3 pixels (2160 bytes)"},
        {{"--fourcc", "UYVY", "--size", "720x576", "--pitch", "-1440", "a", "b"},
         "--pitch takes a number of bytes"},
        {{"--frames", "0", "a", "b"}, "--frames takes a positive whole number, not '0'"},
        {{"--threads", "17", "a", "b"}, "--threads takes a number from 1 to 16"},
        {{"--quality", "Best", "a", "b"}, "--quality takes best or exact, not 'Best'"},
        {{"--quality", "best", "--mb-quant", "a", "b"},
         "--mb-quant is a variant of --quality exact"},
        {{"--demo", "in", "out"}, "--demo takes one argument, OUTPUT"},
        {{"--demo", "--fourcc", "YUY2", "out"}, "--demo has none"},
        {{"--audio=", "a", "b"}, "--audio takes a WAV file"},
        {{"--audio", "-", "-", "b"}, "INPUT and --audio cannot both be standard input"},
        {{"--timecode", "1:00:00:00", "a", "b"}, "--timecode takes HH:MM:SS:FF"},
        {{"--timecode", "00:00:00:99x", "a", "b"}, "--timecode takes HH:MM:SS:FF"},
        {{"--date", "07.12.2026", "a", "b"}, "--date takes YYYY-MM-DD"},
        {{"--date", "2026-02-30", "a", "b"}, "--date 2026-02-30 is not a date"},
    };
    for (const auto& c : cases) {
        Options o;
        std::string error;
        EXPECT_EQ(Parse(c.args, &o, &error), ParseResult::kError) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace dvenc
