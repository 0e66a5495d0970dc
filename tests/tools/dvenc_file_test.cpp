// dvenc on files read through FFmpeg's libraries: sources made here by ffmpeg's lavfi, the
// DV read back by libavcodec's decoder, ffprobe and libdv. Skipped when dvenc was built
// without FFmpeg's libraries (the last test checks what it says then).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "dvenc_runner.h"
#include "enc_dv.h"
#include "readers.h"
#include "support/dv_decoder.h"
#include "support/psnr.h"
#include "test_streams.h"
#include "wav_file.h"

namespace dvenc_test {
namespace {

using encdv::test::DecodedFrame;

constexpr char kNoFileInput[] = "needs ffmpeg and ffprobe, and dvenc built with FFmpeg's libraries";

// "files read through ..." from dvenc --version, or what to install.
std::string LibraryLine(const ScratchDir& dir) {
    dir.Dvenc("--version > version.txt");
    const std::string text = Bytes(dir.Read("version.txt"));
    return text.substr(text.find('\n') + 1);
}

bool HaveFileInput(const ScratchDir& dir) {
    return HaveProgram(dir, "ffmpeg") && HaveProgram(dir, "ffprobe") &&
           LibraryLine(dir).rfind("files read through ", 0) == 0;
}

// Runs ffmpeg quietly with these arguments.
::testing::AssertionResult Make(const ScratchDir& dir, const std::string& arguments) {
    const RunResult r = dir.Shell("ffmpeg -v error -y " + arguments);
    if (r.exitCode == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "ffmpeg " << arguments << ": " << r.errors;
}

// ffprobe's value of entries ("stream=display_aspect_ratio") for the first stream.
std::string Probe(const ScratchDir& dir, const std::string& file, const std::string& entries) {
    dir.Shell("ffprobe -v error -select_streams v:0 -show_entries " + entries + " -of csv=p=0 " +
              file + " > probe.txt");
    std::string text = Bytes(dir.Read("probe.txt"));
    while (!text.empty() && (text.back() == '\n' || text.back() == ',')) text.pop_back();
    return text;
}

std::vector<DecodedFrame> Decode(const std::vector<uint8_t>& dv) {
    const size_t bytes =
        dv.size() % DVENC_FRAME_BYTES_625 == 0 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
    std::vector<DecodedFrame> frames;
    for (size_t at = 0; at + bytes <= dv.size(); at += bytes) {
        frames.emplace_back();
        std::string error;
        EXPECT_TRUE(encdv::test::DecodeDvFrame(dv.data() + at, bytes, frames.back(), &error))
            << error;
    }
    return frames;
}

// The mean luma of the middle 600 samples of line y.
double LineMean(const DecodedFrame& f, int y) {
    double sum = 0;
    for (int x = 60; x < 660; ++x) sum += f.y[static_cast<size_t>(y) * f.width + x];
    return sum / 600;
}

// The DV file's sound as ffmpeg decodes it: the left channel at its own rate.
std::vector<int16_t> Sound(const ScratchDir& dir, const std::string& file) {
    dir.Shell("ffmpeg -v error -y -i " + file + " -af 'pan=mono|c0=c0' -f s16le sound.raw");
    return Pcm16(dir.Read("sound.raw"));
}

TEST(DvencFile, InterlacedFieldsStayApartAndComeBottomFieldFirst) {
    // One field white (235) and the other black (16), or, at 50 frames a second, white and
    // black frames in turn: scaled to DV, every line must still be white or black, the
    // field shown first (the white one) in DV's bottom field, the odd lines.
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    const std::string fields = "format=yuv420p,geq=lum='if(mod(Y,2),16,235)':cb=128:cr=128";
    const std::string swapped = "format=yuv420p,geq=lum='if(mod(Y,2),235,16)':cb=128:cr=128";
    const struct {
        const char* what;
        std::string source;  // ffmpeg's input and output options
        int height;
    } cases[] = {
        {"1080i top field first",
         "-f lavfi -i \"color=white:s=1920x1080:r=25:d=0.08," + fields + "\" -field_order tt", 576},
        {"1080i top field first to 525/60",
         "-f lavfi -i \"color=white:s=1920x1080:r=30000/1001:d=0.066," + fields +
             "\" -field_order tt",
         480},
        {"576i bottom field first",
         "-f lavfi -i \"color=white:s=720x576:r=25:d=0.08,setsar=16/15," + swapped +
             "\" -field_order bb",
         576},
        {"1080p at 50 frames a second",
         "-f lavfi -i \"color=white:s=1920x1080:r=50:d=0.08,format=yuv420p,geq=lum='if(mod(N,"
         "2),16,235)':cb=128:cr=128\"",
         576},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Make(dir, c.source + " -c:v ffv1 clip.mkv"));
        const RunResult r = dir.Dvenc("--quiet clip.mkv out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        const std::vector<DecodedFrame> frames = Decode(dir.Read("out.dv"));
        ASSERT_EQ(frames.size(), 2u);
        ASSERT_EQ(frames[0].height, c.height);
        int wrong = 0;
        for (int y = 0; y < c.height; ++y) {
            const double mean = LineMean(frames[1], y);
            wrong += y % 2 ? mean < 225 : mean > 26;
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(DvencFile, Bt709ColoursKeepTheirRgbWithinFourLevels) {
    // Eight bars of known R'G'B', put into Y'CbCr by ffmpeg with the source's own matrix
    // and range; the DV frames, read as BT.601 studio range, give each bar's R'G'B' back.
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    const int bars[8][3] = {{250, 0, 0},    {0, 252, 0},    {0, 0, 250},     {235, 235, 20},
                            {20, 235, 235}, {235, 20, 235}, {128, 128, 128}, {240, 240, 240}};
    const struct {
        const char* what;
        int width, height;
        std::string conversion;  // ffmpeg's
    } cases[] = {
        {"HD tagged BT.709", 1920, 1080,
         "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p -colorspace bt709 "
         "-color_primaries bt709 -color_trc bt709 -color_range tv"},
        {"HD untagged, BT.709 taken", 1920, 1080,
         "scale=out_color_matrix=bt709:out_range=tv,format=yuv422p,setparams=colorspace="
         "unknown:range=unknown"},
        {"SD full range BT.601", 720, 576,
         "scale=out_color_matrix=bt601:out_range=pc,format=yuv444p,setsar=16/15 -colorspace "
         "bt470bg -color_range pc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string rgb;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                for (int k = 0; k < 3; ++k) rgb += static_cast<char>(bars[x * 8 / c.width][k]);
            }
        }
        dir.Write("bars.rgb", rgb);
        ASSERT_TRUE(Make(dir, "-f rawvideo -pix_fmt rgb24 -s " + std::to_string(c.width) + "x" +
                                  std::to_string(c.height) + " -r 25 -i bars.rgb -vf " +
                                  c.conversion + " -c:v ffv1 bars.mkv"));
        ASSERT_EQ(dir.Dvenc("--quiet bars.mkv bars.dv").exitCode, 0);
        const std::vector<DecodedFrame> frames = Decode(dir.Read("bars.dv"));
        ASSERT_EQ(frames.size(), 1u);
        const DecodedFrame& f = frames[0];
        for (int bar = 0; bar < 8; ++bar) {
            const int x = 720 * (2 * bar + 1) / 16;
            const double y = f.y[288 * 720 + x] - 16.0;
            const double cb = f.cb[144 * f.chromaWidth + x / 2] - 128.0;
            const double cr = f.cr[144 * f.chromaWidth + x / 2] - 128.0;
            const double got[3] = {1.164384 * y + 1.596027 * cr,
                                   1.164384 * y - 0.391762 * cb - 0.812968 * cr,
                                   1.164384 * y + 2.017232 * cb};
            for (int k = 0; k < 3; ++k) {
                EXPECT_NEAR(got[k], bars[bar][k], 4.0) << "bar " << bar << " component " << k;
            }
        }
    }
}

TEST(DvencFile, DisplayAspectChoosesTheWideFlagAndTheShapeIsKept) {
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    const struct {
        const char* source;
        const char* options;
        const char* aspect;
        int blackLines;  // top lines of padding
    } cases[] = {
        {"testsrc=s=1280x720:d=0.04", "", "16:9", 0},
        {"testsrc=s=640x480:d=0.04", "", "4:3", 0},
        {"testsrc=s=1440x1080:d=0.04,setsar=4/3", "", "16:9", 0},
        {"testsrc=s=720x576:d=0.04,setsar=64/45", "", "16:9", 0},
        {"testsrc=s=1280x720:d=0.04", "--aspect 4:3", "4:3", 72},
        {"testsrc=s=1280x720:d=0.04", "--aspect 4:3 --fit crop", "4:3", 0},
        {"testsrc=s=1280x720:d=0.04", "--aspect 4:3 --fit stretch", "4:3", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " " + c.options);
        ASSERT_TRUE(Make(dir, std::string("-f lavfi -i ") + c.source + " -c:v ffv1 clip.mkv"));
        ASSERT_EQ(dir.Dvenc(std::string("--quiet ") + c.options + " clip.mkv out.dv").exitCode, 0);
        EXPECT_EQ(Probe(dir, "out.dv", "stream=display_aspect_ratio"), c.aspect);
        const std::vector<DecodedFrame> frames = Decode(dir.Read("out.dv"));
        ASSERT_EQ(frames.size(), 1u);
        int black = 0;
        while (black < 100 && LineMean(frames[0], black) < 20) ++black;
        EXPECT_NEAR(black, c.blackLines, 1);
    }
}

TEST(DvencFile, FrameRateIsConvertedAndTheSoundStaysInStep) {
    // A 1 kHz tone from second `from` to second `to` of the file's clock, the pictures
    // starting at second `start`: in the DV sound the tone lies where it was heard with the
    // pictures, to within one frame, at 48 kHz (or --audio-rate).
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    const struct {
        const char* what;
        const char* rate;
        double seconds, start, from, to;
        const char* options;
        int frames, sampleRate;
    } cases[] = {
        {"23.976p, 44.1 kHz", "24000/1001", 2.002, 0, 0, 2.002, "", 60, 48000},
        {"25p, sound starting late", "25", 2, 0, 0.4, 1.6, "", 50, 48000},
        {"25p, sound starting early", "25", 2, 0.4, 0, 1.2, "", 50, 48000},
        {"25p, sound ending early", "25", 2, 0, 0, 1.2, "", 50, 48000},
        {"29.97p at 44.1 kHz", "30000/1001", 1.001, 0, 0, 1.001, "--audio-rate 44100", 30, 44100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string length = std::to_string(c.to - c.from);
        ASSERT_TRUE(Make(dir, std::string("-f lavfi -i testsrc=s=320x240:r=") + c.rate +
                                  ":d=" + std::to_string(c.seconds) +
                                  " -f lavfi -i sine=f=1000:r=44100:d=" + length +
                                  " -c:v ffv1 -c:a pcm_s16le plain.mkv"));
        ASSERT_TRUE(Make(dir, "-itsoffset " + std::to_string(c.start) +
                                  " -i plain.mkv -itsoffset " + std::to_string(c.from) +
                                  " -i plain.mkv -map 0:v -map 1:a -c copy clip.mkv"));
        const RunResult r = dir.Dvenc(std::string("--quiet ") + c.options + " clip.mkv out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        const size_t frameBytes =
            c.frames % 25 == 0 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
        EXPECT_EQ(dir.Read("out.dv").size(), c.frames * frameBytes);
        dir.Shell(
            "ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate -of "
            "csv=p=0 out.dv > rate.txt");
        EXPECT_EQ(Bytes(dir.Read("rate.txt")), std::to_string(c.sampleRate) + "\n");
        const std::vector<int16_t> sound = Sound(dir, "out.dv");
        int first = -1, last = -1, peak = 0;
        for (size_t i = 0; i < sound.size(); ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(sound[i])));
            if (std::abs(sound[i]) < 2000) continue;
            if (first < 0) first = static_cast<int>(i);
            last = static_cast<int>(i);
        }
        EXPECT_NEAR(peak, 4096, 100);  // the tone's level (an eighth of full scale) kept
        const double frame =
            c.sampleRate * (frameBytes == DVENC_FRAME_BYTES_625 ? 0.04 : 1001 / 30000.0);
        EXPECT_NEAR(first, std::max(0.0, c.from - c.start) * c.sampleRate, frame);
        EXPECT_NEAR(last, (std::min(c.to, c.seconds + c.start) - c.start) * c.sampleRate, frame);
    }
}

TEST(DvencFile, TimecodeAndRecordingDateComeFromTheFileUnlessGiven) {
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    const struct {
        const char* source;
        const char* options;
        const char* timecode;
        const char* libdvDate;
    } cases[] = {
        {"-r 25 -timecode 10:11:12:13 -metadata creation_time=2024-05-17T09:30:00Z", "",
         "10:11:12:13", "2024-05-17 09:30:00"},
        {"-r 30000/1001 -timecode '01:00:00;00'", "", "01:00:00;00", ""},
        {"-r 30000/1001 -timecode 01:00:00:00", "", "01:00:00:00", ""},
        {"-r 25 -timecode 10:11:12:13 -metadata creation_time=2024-05-17T09:30:00Z",
         "--timecode 00:59:00:00 --date none", "00:59:00:00", ""},
        {"-r 25", "", "00:00:00:00", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " " + c.options);
        ASSERT_TRUE(Make(dir, std::string("-f lavfi -i testsrc=s=320x240:d=0.2 ") + c.source +
                                  " -c:v ffv1 clip.mov"));
        const RunResult r =
            dir.Shell(std::string("TZ=UTC \"$DVENC\" --quiet ") + c.options + " clip.mov out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        dir.Shell(
            "ffprobe -v error -show_entries format_tags=timecode -of csv=p=0 out.dv > tc.txt");
        EXPECT_EQ(Bytes(dir.Read("tc.txt")), std::string(c.timecode) + "\n");
        if (HaveLibdv()) {
            const std::vector<uint8_t> dv = dir.Read("out.dv");
            const size_t bytes = dv.size() % DVENC_FRAME_BYTES_625 == 0 ? DVENC_FRAME_BYTES_625
                                                                        : DVENC_FRAME_BYTES_525;
            const std::vector<LibdvFrame> frames = ReadWithLibdv(dv, bytes);
            ASSERT_FALSE(frames.empty());
            EXPECT_EQ(frames[0].date, c.libdvDate);
        }
    }
}

TEST(DvencFile, DvEncodedAgainKeepsItsTimecodeDateAndColour) {
    // A DV file's pictures reach the library as its decoder gives them, in DV's sampling:
    // the frames are those of the same pictures through YUV4MPEG2 (whose generations the
    // generation benchmark follows), byte for byte, and the time code and the recording date
    // stay. Through a pipe ffmpeg's DV reader finds no time code (it seeks for it), so
    // --timecode gives it there; the date comes from the frames themselves either way.
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    for (const char* size : {"720x576", "720x480"}) {
        SCOPED_TRACE(size);
        ASSERT_EQ(dir.Dvenc(std::string("--quiet --demo --frames 2 --size ") + size +
                            " --timecode 10:00:00:00 --date 2024-05-06T07:08:09 g1.dv")
                      .exitCode,
                  0);
        ASSERT_EQ(dir.Dvenc("--quiet g1.dv g2.dv").exitCode, 0);
        ASSERT_TRUE(Make(dir, "-i g1.dv -f yuv4mpegpipe g1.y4m"));
        ASSERT_EQ(
            dir.Dvenc("--quiet --timecode 10:00:00:00 --date 2024-05-06T07:08:09 g1.y4m y4m.dv")
                .exitCode,
            0);
        EXPECT_TRUE(dir.Read("y4m.dv") == dir.Read("g2.dv"));
        ASSERT_EQ(
            dir.Shell("cat g1.dv | \"$DVENC\" --quiet --timecode 10:00:00:00 - piped.dv").exitCode,
            0);
        EXPECT_TRUE(dir.Read("piped.dv") == dir.Read("g2.dv"));
        dir.Shell("ffprobe -v error -show_entries format_tags=timecode -of csv=p=0 g2.dv > tc.txt");
        EXPECT_EQ(Bytes(dir.Read("tc.txt")), "10:00:00:00\n");
        const std::vector<uint8_t> second = dir.Read("g2.dv");
        const int frameBytes =
            std::string(size) == "720x576" ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
        DVEncRecordingDate date{};
        ASSERT_EQ(DVEncReadRecordingDate(second.data() + frameBytes, frameBytes, &date),
                  DVENC_FILL_OK);
        EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 20240506);
        EXPECT_EQ(date.hour * 10000 + date.minute * 100 + date.second, 70809);
        // The colour of the second generation is the first's, to within DV's coding.
        const DecodedFrame g1 = Decode(dir.Read("g1.dv"))[1];
        const DecodedFrame g2 = Decode(second)[1];
        EXPECT_GT(encdv::test::Psnr(g2.cb, g1.cb, g1.chromaWidth, g1.chromaHeight), 45.0);
        EXPECT_GT(encdv::test::Psnr(g2.cr, g1.cr, g1.chromaWidth, g1.chromaHeight), 45.0);
    }
}

TEST(DvencFile, StreamsWithoutTimeStampsAndNamedPipesAreRead) {
    // An H.264 elementary stream has no time stamps: its pictures are timed at its rate.
    // A named pipe is read once, its first bytes looked at and kept.
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    ASSERT_TRUE(Make(dir, "-f lavfi -i testsrc=s=320x240:r=25:d=0.4 -c:v libx264 clip.h264"));
    ASSERT_EQ(dir.Dvenc("--quiet clip.h264 es.dv").exitCode, 0);
    EXPECT_EQ(dir.Read("es.dv").size(), 10u * DVENC_FRAME_BYTES_625);
    const RunResult r = dir.Shell(
        "mkfifo pipe && { cat clip.h264 > pipe & } && \"$DVENC\" "
        "--quiet pipe piped.dv");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(dir.Read("piped.dv") == dir.Read("es.dv"));
}

TEST(DvencFile, BadFilesExitWithTheirStatusKeepingWholeFrames) {
    ScratchDir dir;
    if (!HaveFileInput(dir)) GTEST_SKIP() << kNoFileInput;
    ASSERT_TRUE(Make(dir,
                     "-f lavfi -i testsrc=s=320x240:r=25:d=2 -f lavfi -i sine=d=2 -c:v "
                     "libx264 -g 5 -c:a pcm_s16le clip.mkv"));
    ASSERT_TRUE(Make(dir, "-f lavfi -i sine=d=1 sound.wav"));
    const std::vector<uint8_t> whole = dir.Read("clip.mkv");
    dir.Write("cut.mkv", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    std::vector<uint8_t> damaged = whole;
    for (size_t at = whole.size() / 3; at < whole.size() / 3 + 4000; at += 97) damaged[at] ^= 0x5A;
    dir.Write("damaged.mkv", damaged);
    dir.Write("text.txt", std::string("hello, this is not video\n"));
    dir.Write("clip.y4m", Y4mStream("W720 H576 C420jpeg", std::string(720 * 576 * 3 / 2, 'x'), 1));
    const struct {
        const char* arguments;
        int exitCode;
        const char* reason;
        bool framesKept;
    } cases[] = {
        {"sound.wav out.dv", 1, "'sound.wav' has no video stream", false},
        {"text.txt out.dv", 1, "'text.txt': not a YUV4MPEG2 stream nor a file FFmpeg", false},
        {"cut.mkv out.dv", 1, "'cut.mkv': ", true},
        {"damaged.mkv out.dv", 1, "'damaged.mkv': damaged video data", true},
        {"--audio-stream 1 clip.mkv out.dv", 1,
         "'clip.mkv' has one audio stream (--audio-stream 0); --audio-stream 1 names none", false},
        {"--fit crop clip.y4m out.dv", 2, "--fit is for files read through FFmpeg's libraries",
         false},
        {"--system 625 --demo out.dv", 2, "--system is for files", false},
        {"--fit wide clip.mkv out.dv", 2, "--fit takes pad, crop or stretch, not 'wide'", false},
        {"--no-audio --audio sound.wav clip.mkv out.dv", 2,
         "--no-audio and --audio contradict each other", false},
        {"clip.mkv /dev/full", 3, "cannot write '/dev/full'", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        dir.Shell("rm -f out.dv");
        const RunResult r = dir.Dvenc(std::string("--quiet ") + c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.errors.rfind(std::string("dvenc: error: ") + c.reason, 0), 0u) << r.errors;
        EXPECT_EQ(r.errors.find('\n'), r.errors.size() - 1) << r.errors;
        const std::vector<uint8_t> out = dir.Read("out.dv");
        EXPECT_EQ(out.size() % DVENC_FRAME_BYTES_625, 0u);
        EXPECT_EQ(out.size() > 0, c.framesKept) << out.size();
        if (c.framesKept) {
            EXPECT_NE(r.errors.find(std::to_string(out.size() / DVENC_FRAME_BYTES_625) +
                                    " frames that could be read are in the output"),
                      std::string::npos)
                << r.errors;
            Decode(out);
        }
    }
}

TEST(DvencFile, WithoutFfmpegsLibrariesOtherFilesAreRefusedSayingWhatToInstall) {
    ScratchDir dir;
    if (LibraryLine(dir).rfind("dvenc was built without FFmpeg's libraries", 0) != 0) {
        GTEST_SKIP() << "dvenc was built with FFmpeg's libraries";
    }
    dir.Write("clip.mkv", std::string("\x1a\x45\xdf\xa3 not really", 15));
    const RunResult r = dir.Dvenc("clip.mkv out.dv");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errors.rfind("dvenc: error: 'clip.mkv': not a YUV4MPEG2 stream", 0), 0u)
        << r.errors;
    EXPECT_NE(r.errors.find("apt-get install libavformat-dev"), std::string::npos) << r.errors;
}

}  // namespace
}  // namespace dvenc_test
