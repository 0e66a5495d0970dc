// dvenc's exit status and messages for bad command lines, inputs and outputs, and what
// stays in the output when a run fails part way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "dvenc_runner.h"
#include "enc_dv.h"
#include "support/dv_decoder.h"
#include "test_streams.h"

namespace dvenc_test {
namespace {

constexpr size_t kFrame625 = DVENC_FRAME_BYTES_625;
constexpr size_t kMono576 = 720 * 576;

std::string MonoStream(int frames) {
    return Y4mStream("W720 H576 F25:1 Cmono", std::string(kMono576, '\x80'), frames);
}

// One line, "dvenc: error: " and the reason.
void ExpectOneErrorLine(const RunResult& r, const std::string& reason) {
    EXPECT_EQ(r.errors.rfind("dvenc: error: ", 0), 0u) << r.errors;
    EXPECT_EQ(r.errors.find('\n'), r.errors.size() - 1) << r.errors;
    EXPECT_NE(r.errors.find(reason), std::string::npos) << r.errors;
}

// Every whole DV frame of a file decodes; returns how many there are.
int DecodableFrames(const std::vector<uint8_t>& dv, size_t frameBytes) {
    EXPECT_EQ(dv.size() % frameBytes, 0u);
    int frames = 0;
    for (size_t at = 0; at + frameBytes <= dv.size(); at += frameBytes) {
        encdv::test::DecodedFrame decoded;
        std::string error;
        EXPECT_TRUE(encdv::test::DecodeDvFrame(dv.data() + at, frameBytes, decoded, &error))
            << error;
        ++frames;
    }
    return frames;
}

TEST(DvencErrors, EachBadRunExitsWithItsStatusAndOneLineSayingWhy) {
    ScratchDir dir;
    dir.Write("text.txt", std::string("hello, this is not video\n"));
    dir.Write("empty.y4m", std::string());
    dir.Write("small.y4m", Y4mStream("W352 H288 F25:1", std::string(352 * 288 * 3 / 2, 'x'), 1));
    dir.Write("deep.y4m", Y4mStream("W720 H576 C420p10", std::string(), 0));
    dir.Write("good.y4m", MonoStream(1));
    dir.Write("out.dv", std::string("precious"));
    const struct {
        const char* arguments;
        int exitCode;
        const char* reason;
    } cases[] = {
        {"", 2, "missing INPUT and OUTPUT"},
        {"--frobnicate good.y4m out.dv", 2, "unknown option '--frobnicate'"},
        {"--threads 99 good.y4m out.dv", 2, "--threads takes a number from 1 to 16"},
        {"missing.y4m out.dv", 1, "cannot open 'missing.y4m': No such file or directory"},
        {". out.dv", 1, "cannot read '.': it is a directory"},
        {"text.txt out.dv", 1, "'text.txt': not a YUV4MPEG2 stream"},
        {"empty.y4m out.dv", 1, "'empty.y4m': empty input"},
        {"- out.dv < /dev/null", 1, "standard input: empty input"},
        {"small.y4m out.dv", 1, "unsupported picture size 352x288"},
        {"deep.y4m out.dv", 1, "unsupported chroma layout 'C420p10'"},
        {"--fourcc YUY2 --size 720x576 missing.raw out.dv", 1, "cannot open 'missing.raw'"},
        {"good.y4m no/such/dir/out.dv", 3, "cannot create 'no/such/dir/out.dv'"},
        {"good.y4m good.y4m", 3, "the output 'good.y4m' is the input file"},
        {"good.y4m /dev/full", 3, "cannot write '/dev/full': No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const RunResult r = dir.Dvenc(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode);
        ExpectOneErrorLine(r, c.reason);
    }
    // Neither a bad input nor a refused output touched an existing file.
    EXPECT_EQ(Bytes(dir.Read("out.dv")), "precious");
    EXPECT_EQ(Bytes(dir.Read("good.y4m")), MonoStream(1));
}

TEST(DvencErrors, TruncatedLastFrameIsReportedAfterEveryWholeFrameIsWritten) {
    ScratchDir dir;
    // Three whole 4:2:0 frames, then half of a fourth.
    const std::string planes(720 * 576 * 3 / 2, '\x70');
    std::string stream = Y4mStream("W720 H576 F25:1 C420jpeg", planes, 4);
    stream.resize(stream.size() - planes.size() / 2);
    dir.Write("cut.y4m", stream);
    RunResult r = dir.Dvenc("cut.y4m out.dv");
    EXPECT_EQ(r.exitCode, 1);
    ExpectOneErrorLine(r,
                       "input ends inside frame 4 (311040 of 622080 bytes); the 3 frames "
                       "before it are in the output");
    EXPECT_EQ(DecodableFrames(dir.Read("out.dv"), kFrame625), 3);

    // The same through a pipe, and for raw frames; a cut in the first frame leaves nothing.
    r = dir.Shell("cat cut.y4m | \"$DVENC\" - piped.dv");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(dir.Read("piped.dv").size(), 3 * kFrame625);
    dir.Write("cut.raw", std::string(720 * 2 * 576 * 5 / 2, '\x80'));
    r = dir.Dvenc("--fourcc UYVY --size 720x576 cut.raw raw.dv");
    EXPECT_EQ(r.exitCode, 1);
    ExpectOneErrorLine(r,
                       "input ends inside frame 3 (414720 of 829440 bytes); the 2 frames "
                       "before it are in the output");
    EXPECT_EQ(DecodableFrames(dir.Read("raw.dv"), kFrame625), 2);
    dir.Write("stub.y4m", MonoStream(1).substr(0, 1000));
    r = dir.Dvenc("stub.y4m stub.dv");
    EXPECT_EQ(r.exitCode, 1);
    ExpectOneErrorLine(r, "input ends inside frame 1 (");
    EXPECT_EQ(r.errors.find("before it"), std::string::npos);
    EXPECT_EQ(dir.Read("stub.dv").size(), 0u);
}

TEST(DvencErrors, AWriteThatFailsPartWayIsCutBackToTheLastWholeFrame) {
    // A file size limit of 400 KiB lets two 144000-byte frames through and stops the third
    // part way (EFBIG): the partial frame must not stay in the file.
    ScratchDir dir;
    dir.Write("five.y4m", MonoStream(5));
    const RunResult r = dir.Shell("bash -c 'ulimit -f 400; exec \"$DVENC\" five.y4m out.dv'");
    EXPECT_EQ(r.exitCode, 3);
    ExpectOneErrorLine(r, "cannot write 'out.dv': File too large");
    EXPECT_EQ(DecodableFrames(dir.Read("out.dv"), kFrame625), 2);
}

TEST(DvencErrors, AClosedPipeDownstreamEndsTheEncodingWithANote) {
    // head takes one frame and leaves, as a player that quits: dvenc stops after the last
    // whole frame it wrote, exits 0 and says so in one line (not even that with --quiet),
    // rather than die of SIGPIPE or report an error.
    ScratchDir dir;
    dir.Write("ten.y4m", MonoStream(10));
    for (const std::string quiet : {"", "--quiet "}) {
        SCOPED_TRACE(quiet);
        const RunResult r = dir.Shell("{ \"$DVENC\" " + quiet +
                                      "ten.y4m - 2>err.txt; echo $? > code.txt; } | "
                                      "head -c 144000 > one.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_EQ(Bytes(dir.Read("code.txt")), "0\n");
        const std::string errors = Bytes(dir.Read("err.txt"));
        if (quiet.empty()) {
            EXPECT_EQ(
                errors.rfind("dvenc: note: standard output was closed by its reader after ", 0), 0u)
                << errors;
            EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        } else {
            EXPECT_EQ(errors, "");
        }
        EXPECT_EQ(dir.Read("one.dv").size(), kFrame625);
    }
}

TEST(DvencErrors, WarningsNotesAndSummaryGoToStandardErrorUnlessQuiet) {
    ScratchDir dir;
    dir.Write("ntsc-rate.y4m",
              Y4mStream("W720 H576 F30000:1001 It Cmono", std::string(kMono576, 'a'), 2));
    RunResult r = dir.Dvenc("ntsc-rate.y4m out.dv");
    EXPECT_EQ(r.exitCode, 0);
    // Not a terminal: no progress line, only the warning, the note and the summary.
    const std::string expected =
        "dvenc: warning: frame rate 30000:1001 is not that of 625/50 DV (25:1); the frames are "
        "encoded one for one and will play at that rate\n"
        "dvenc: note: the input is top field first and DV is bottom field first; add "
        "fieldorder=bff to ffmpeg's -vf filters, which moves the picture down one line\n"
        "dvenc: 2 frames (0.08 s of 625/50 DV, 4:2:0, 4:3), 288000 bytes to 'out.dv' in ";
    EXPECT_EQ(r.errors.substr(0, expected.size()), expected);
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), '\n'), 3) << r.errors;
    EXPECT_EQ(r.errors.find('\r'), std::string::npos);
    r = dir.Dvenc("--quiet ntsc-rate.y4m out.dv");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.errors, "");
}

TEST(DvencErrors, ProgressLineAppearsOnATerminalOnly) {
    // Standard error on a pseudo-terminal: the progress line is drawn with carriage
    // returns and erased before the summary.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) GTEST_SKIP() << "no pseudo-terminals here";
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string terminal = ptsname(master);
    ScratchDir dir;
    const RunResult r = dir.Dvenc("--demo --frames 40 out.dv 2>" + terminal);
    EXPECT_EQ(r.exitCode, 0);
    std::string screen;
    char buffer[4096];
    fcntl(master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) screen.append(buffer, n);
    close(master);
    EXPECT_NE(screen.find("\rframe "), std::string::npos) << screen;
    EXPECT_NE(screen.find("/40 ("), std::string::npos) << screen;
    EXPECT_NE(screen.find("dvenc: 40 frames"), std::string::npos) << screen;
}

}  // namespace
}  // namespace dvenc_test
