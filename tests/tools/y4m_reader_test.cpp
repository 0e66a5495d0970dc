#include "sources/y4m_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace dvenc {
namespace {

TEST(Y4mHeader, AcceptsTheSizesAndLayoutsDvTakes) {
    const struct {
        const char* line;
        int height, rate, rateBase, aspect, aspectBase;
        Y4mInterlace interlace;
        Y4mChroma chroma;
        size_t frameBytes;
    } cases[] = {
        {"YUV4MPEG2 W720 H576 F25:1 It A16:15 C420jpeg XYSCSS=420JPEG", 576, 25, 1, 16, 15,
         Y4mInterlace::kTopFirst, Y4mChroma::k420Jpeg, 720 * 576 * 3 / 2},
        {"YUV4MPEG2 W720 H480 F30000:1001 Ib A32:27 C420mpeg2", 480, 30000, 1001, 32, 27,
         Y4mInterlace::kBottomFirst, Y4mChroma::k420Mpeg2, 720 * 480 * 3 / 2},
        {"YUV4MPEG2 H486 W720 C420paldv Ip", 486, 0, 0, 0, 0, Y4mInterlace::kProgressive,
         Y4mChroma::k420PalDv, 720 * 486 + 2 * 360 * 243},
        // No C tag means 420jpeg, as does the old name "420"; unknown tags and doubled
        // spaces are passed over.
        {"YUV4MPEG2 W720  H576 Zfuture", 576, 0, 0, 0, 0, Y4mInterlace::kUnknown,
         Y4mChroma::k420Jpeg, 720 * 576 * 3 / 2},
        {"YUV4MPEG2 W720 H576 C420 F0:0 A0:0 I?", 576, 0, 0, 0, 0, Y4mInterlace::kUnknown,
         Y4mChroma::k420Jpeg, 720 * 576 * 3 / 2},
        {"YUV4MPEG2 W720 H480 C411 Im", 480, 0, 0, 0, 0, Y4mInterlace::kMixed, Y4mChroma::k411,
         720 * 480 * 3 / 2},
        {"YUV4MPEG2 W720 H576 C422", 576, 0, 0, 0, 0, Y4mInterlace::kUnknown, Y4mChroma::k422,
         720 * 576 * 2},
        {"YUV4MPEG2 W720 H576 C444", 576, 0, 0, 0, 0, Y4mInterlace::kUnknown, Y4mChroma::k444,
         720 * 576 * 3},
        {"YUV4MPEG2 W720 H576 C444alpha", 576, 0, 0, 0, 0, Y4mInterlace::kUnknown,
         Y4mChroma::k444Alpha, 720 * 576 * 4},
        {"YUV4MPEG2 W720 H576 Cmono", 576, 0, 0, 0, 0, Y4mInterlace::kUnknown, Y4mChroma::kMono,
         720 * 576},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Y4mHeader h;
        std::string error;
        ASSERT_TRUE(ParseY4mHeader(c.line, &h, &error)) << error;
        EXPECT_EQ(h.width, 720);
        EXPECT_EQ(h.height, c.height);
        EXPECT_EQ(h.rateNumerator * 1000 + h.rateDenominator, c.rate * 1000 + c.rateBase);
        EXPECT_EQ(h.aspectNumerator * 1000 + h.aspectDenominator, c.aspect * 1000 + c.aspectBase);
        EXPECT_EQ(h.interlace, c.interlace);
        EXPECT_EQ(h.chroma, c.chroma);
        EXPECT_EQ(PlanesOf(h).frameBytes, c.frameBytes);
    }
}

TEST(Y4mHeader, RejectsWithAReasonThatNamesTheFault) {
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"", "not a YUV4MPEG2 stream"},
        {"YUV4MPEG2W720 H576", "not a YUV4MPEG2 stream"},
        {"YUV4MPEG W720 H576", "not a YUV4MPEG2 stream"},
        {"YUV4MPEG2 H576 F25:1", "lacks the picture size"},
        {"YUV4MPEG2 W640 H480", "unsupported picture size 640x480"},
        {"YUV4MPEG2 W720 H578", "unsupported picture size 720x578"},
        {"YUV4MPEG2 W720 H576 C420p10", "unsupported chroma layout 'C420p10'"},
        {"YUV4MPEG2 W720 H576 C440", "unsupported chroma layout 'C440'"},
        {"YUV4MPEG2 W-720 H576", "malformed YUV4MPEG2 header field 'W-720'"},
        {"YUV4MPEG2 W99999999999 H576", "malformed"},
        {"YUV4MPEG2 W720 H576 F25", "malformed YUV4MPEG2 header field 'F25'"},
        {"YUV4MPEG2 W720 H576 F25:0", "malformed"},
        {"YUV4MPEG2 W720 H576 Ix", "malformed YUV4MPEG2 header field 'Ix'"},
    };
    for (const auto& c : cases) {
        Y4mHeader h;
        std::string error;
        EXPECT_FALSE(ParseY4mHeader(c.line, &h, &error)) << c.line;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.line << ": " << error;
    }
}

// Reads a whole stream from an unlinked temporary file; returns the number of frames read
// and the reason reading stopped ("" at a clean end).
std::string ReadAll(const std::string& stream, int* frames) {
    std::FILE* file = std::tmpfile();
    std::fwrite(stream.data(), 1, stream.size(), file);
    std::fflush(file);
    lseek(fileno(file), 0, SEEK_SET);
    InputFile input;
    input.Attach(fileno(file), "test stream");
    Y4mReader reader(&input);
    std::string error;
    std::vector<uint8_t> planes;
    *frames = 0;
    if (reader.ReadHeader(&error)) {
        Y4mReader::FrameResult result;
        while ((result = reader.ReadFrame(&planes, &error)) == Y4mReader::FrameResult::kFrame) {
            // Each frame's planes are exactly its own bytes.
            EXPECT_EQ(planes.size(), 720u * 576);
            EXPECT_EQ(planes.front(), 'a' + *frames);
            EXPECT_EQ(planes.back(), 'a' + *frames);
            ++*frames;
        }
        if (result == Y4mReader::FrameResult::kEnd) error.clear();
    }
    std::fclose(file);
    return error;
}

TEST(Y4mReader, ReadsUntilACleanEndAndNamesTheFrameWhereAStreamBreaks) {
    const std::string header = "YUV4MPEG2 W720 H576 Cmono\n";
    const std::string frames = "FRAME\n" + std::string(720 * 576, 'a') + "FRAME Ixyz Xnote\n" +
                               std::string(720 * 576, 'b');
    const struct {
        std::string stream;
        int frames;
        const char* reason;
    } cases[] = {
        {header + frames, 2, ""},
        {header + frames + "FRAME\n" + std::string(1000, 'c'), 2,
         "input ends inside frame 3 (1000 of 414720 bytes)"},
        {header + "FRAME\n", 0, "input ends inside frame 1 (0 of 414720 bytes)"},
        {header + frames + "FRA", 2, "input ends inside frame 3 (in its FRAME line)"},
        {header + frames + "FRAME Ip", 2, "input ends inside frame 3 (in its FRAME line)"},
        {header + frames + "FRAMES\n", 2, "expected FRAME at the start of frame 3"},
        {header + "\n", 0, "expected FRAME at the start of frame 1"},
        {header + std::string(5000, 'z'), 0, "expected FRAME at the start of frame 1"},
        {header + "FRAME " + std::string(5000, 'I') + "\n", 0, "over-long FRAME line at frame 1"},
        {"", 0, "empty input"},
        {"YUV4MPEG2 W720 H5", 0, "incomplete YUV4MPEG2 header"},
        {"YUV4MPEG2 W720 " + std::string(5000, 'X'), 0, "incomplete YUV4MPEG2 header"},
        {std::string(10000, '\0'), 0,
         "not a YUV4MPEG2 stream (for raw frames give --fourcc and --size)"},
    };
    for (const auto& c : cases) {
        int frames = 0;
        EXPECT_EQ(ReadAll(c.stream, &frames), c.reason);
        EXPECT_EQ(frames, c.frames) << c.reason;
    }
}

}  // namespace
}  // namespace dvenc
