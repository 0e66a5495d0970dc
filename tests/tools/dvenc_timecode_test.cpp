// dvenc's time code and recording date, read back by independent readers (ffprobe and
// MediaInfo run as programs, libdv linked in), the frames compared byte for byte with the
// library's writers, and the README's example program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dvenc_runner.h"
#include "enc_dv.h"
#include "readers.h"
#include "test_streams.h"
#include "wav_file.h"

namespace dvenc_test {
namespace {

constexpr char kNoFfmpeg[] = "ffmpeg and ffprobe are not installed (apt-get install ffmpeg)";
constexpr char kNoMediaInfo[] = "MediaInfo is not installed (apt-get install mediainfo)";

TEST(DvencTimecode, FfprobeShowsTheTimecodeGivenWithoutComplaint) {
    ScratchDir dir;
    if (!HaveProgram(dir, "ffprobe")) GTEST_SKIP() << kNoFfmpeg;
    const struct {
        const char* options;
        const char* shown;
    } cases[] = {
        {"", "00:00:00:00"},
        {"--size 720x480", "00:00:00;00"},
        {"--timecode 10:00:00:00", "10:00:00:00"},
        {"--size 720x480 --timecode 01:02:03:04", "01:02:03:04"},
        {"--size 720x480 --timecode '23:59:59;29'", "23:59:59;29"},
        {"--timecode 00:00:01:24", "00:00:01:24"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        ASSERT_EQ(
            dir.Dvenc(std::string("--quiet --demo --frames 2 ") + c.options + " out.dv").exitCode,
            0);
        const RunResult r = dir.Shell(
            "ffprobe -v info -show_entries format_tags=timecode -of csv=p=0 out.dv > tc.txt");
        EXPECT_EQ(r.errors.find("invalid"), std::string::npos) << r.errors;
        EXPECT_EQ(Bytes(dir.Read("tc.txt")), std::string(c.shown) + "\n");
    }
    // Drop-frame counting across a minute: the second frame after 00:00:59;29 is
    // 00:01:00;02 (the labels ;00 and ;01 of that minute do not exist).
    ASSERT_EQ(dir.Dvenc("--quiet --demo --size 720x480 --frames 3 --timecode '00:00:59;28' "
                        "out.dv")
                  .exitCode,
              0);
    ASSERT_EQ(dir.Shell("tail -c 120000 out.dv > last.dv && ffprobe -v error -show_entries "
                        "format_tags=timecode -of csv=p=0 last.dv > tc.txt")
                  .exitCode,
              0);
    EXPECT_EQ(Bytes(dir.Read("tc.txt")), "00:01:00;02\n");
}

TEST(DvencTimecode, FramesAreTheLibrarysWithItsTimecodeDateAndSound) {
    // Raw frames through dvenc with a time code and a date: every byte is what the library's
    // compress call and writers give for the same arguments, frame by frame.
    ScratchDir dir;
    const struct {
        int height;
        const char* options;
        DVEncTimecode first;
        DVEncRecordingDate start;
    } cases[] = {
        {576,
         "--timecode 01:00:00:24 --date 2026-12-31T23:59:59",
         {1, 0, 0, 24, 0},
         {2026, 12, 31, 23, 59, 59}},
        {480,
         "--timecode '00:09:59;28' --date 2024-02-29 --no-header-block",
         {0, 9, 59, 28, 1},
         {2024, 2, 29, -1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const std::vector<uint8_t> picture = Noise(1440 * c.height, c.height);
        dir.Write("in.raw", Bytes(picture) + Bytes(picture) + Bytes(picture));
        const RunResult r =
            dir.Dvenc("--quiet --quality exact --fourcc YUY2 --size 720x" +
                      std::to_string(c.height) + " " + c.options + " in.raw out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES);
        const unsigned flags = c.first.dropFrame ? DVENC_FLAG_NO_HEADER_BLOCK : 0;
        const int bytes = CompressBuffer_DV(picture.data(), 1440, frame.data(), 0, 720, c.height, 0,
                                            flags, DVENC_FOURCC_YUY2);
        frame.resize(bytes);
        std::vector<uint8_t> expected;
        for (int i = 0; i < 3; ++i) {
            std::vector<uint8_t> complete = frame;
            ASSERT_EQ(DVEncWriteTimecode(complete.data(), bytes, &c.first, i), DVENC_FILL_OK);
            ASSERT_EQ(DVEncWriteRecordingDate(complete.data(), bytes, &c.start, i), DVENC_FILL_OK);
            ASSERT_EQ(DVEncWriteAudio(complete.data(), bytes, nullptr, 0, 2, 48000, i),
                      DVENC_FILL_OK);
            expected.insert(expected.end(), complete.begin(), complete.end());
        }
        EXPECT_TRUE(dir.Read("out.dv") == expected);
    }
}

TEST(DvencTimecode, LibdvAndMediaInfoReadTheTimecodeAndTheTwoDigitYear) {
    // DV keeps two digits of the year: libdv and MediaInfo as packaged read 25-99 as
    // 1925-1999, so 2026 shows as 1926 there (ffmpeg shows no date); 2024 shows as itself.
    ScratchDir dir;
    const bool mediaInfo = HaveProgram(dir, "mediainfo");
    const struct {
        const char* options;
        int frameBytes;
        const char* libdvTimecode;
        const char* mediaInfoTimecode;
        const char* shownDate;  // by MediaInfo, of the first frame
        const char* libdvDate;  // libdv shows no date without a time
    } cases[] = {
        {"--timecode 10:11:12:13 --date 2024-06-30T23:59:59", DVENC_FRAME_BYTES_625, "10:11:12.13",
         "10:11:12:13", "2024-06-30 23:59:59", "2024-06-30 23:59:59"},
        {"--size 720x480 --timecode '00:09:59;28' --date 2026-12-07T14:30:05",
         DVENC_FRAME_BYTES_525, "00:09:59.28", "00:09:59;28", "1926-12-07 14:30:05",
         "1926-12-07 14:30:05"},
        {"--size 720x480 --smpte314m --date 2026-01-02", DVENC_FRAME_BYTES_525, "00:00:00.00",
         "00:00:00;00", "1926-01-02", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        ASSERT_EQ(
            dir.Dvenc(std::string("--quiet --demo --frames 31 ") + c.options + " a.dv").exitCode,
            0);
        if (HaveLibdv()) {
            const std::vector<LibdvFrame> frames = ReadWithLibdv(dir.Read("a.dv"), c.frameBytes);
            ASSERT_EQ(frames.size(), 31u);
            EXPECT_EQ(frames[0].timecode, c.libdvTimecode);
            EXPECT_EQ(frames[0].date, c.libdvDate);
        }
        if (mediaInfo) {
            EXPECT_EQ(MediaInfoField(dir, "a.dv", "Video;%TimeCode_FirstFrame%"),
                      c.mediaInfoTimecode);
            EXPECT_EQ(MediaInfoField(dir, "a.dv", "General;%Recorded_Date%")
                          .substr(0, std::string(c.shownDate).size()),
                      c.shownDate);
            EXPECT_NE(MediaInfoDifAnalysis(dir, "a.dv").find("No identified errors"),
                      std::string::npos)
                << MediaInfoDifAnalysis(dir, "a.dv");
        }
    }
    // Drop-frame across a tenth minute, and a date moving on at 30000/1001 frames a second:
    // frame 29 of 525/60 is 0.968 s in, frame 30 1.001 s.
    if (!HaveLibdv()) GTEST_SKIP() << "built without libdv";
    ASSERT_EQ(dir.Dvenc("--quiet --demo --size 720x480 --frames 31 --timecode '00:09:59;28' "
                        "--date 2024-06-30T23:59:59 a.dv")
                  .exitCode,
              0);
    const std::vector<LibdvFrame> frames = ReadWithLibdv(dir.Read("a.dv"), DVENC_FRAME_BYTES_525);
    ASSERT_EQ(frames.size(), 31u);
    EXPECT_EQ(frames[2].timecode, "00:10:00.00");  // every tenth minute keeps its 00 and 01
    EXPECT_EQ(frames[29].date, "2024-06-30 23:59:59");
    EXPECT_EQ(frames[30].date, "2024-07-01 00:00:00");
}

TEST(DvencTimecode, MediaInfoFindsNoErrorInTheLibrarysFrames) {
    // The compress call's frames as they are (625/50; at 525/60 the fixed AAUX pack of silent
    // frames says 50 fields, which MediaInfo counts as audio errors) and completed by the
    // writers, in both systems and header forms.
    ScratchDir dir;
    if (!HaveProgram(dir, "mediainfo")) GTEST_SKIP() << kNoMediaInfo;
    const struct {
        int height;
        unsigned flags;
        bool complete;
    } cases[] = {{576, 0, false}, {576, DVENC_FLAG_SMPTE314M, false},
                 {576, 0, true},  {576, DVENC_FLAG_SMPTE314M | DVENC_FLAG_WIDE, true},
                 {480, 0, true},  {486, DVENC_FLAG_SMPTE314M, true}};
    const std::vector<uint8_t> picture = Noise(1440 * 576, 5);
    const std::vector<int16_t> sound = TestSound(1920, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + (c.complete ? " completed" : " as compressed") +
                     " flags " + std::to_string(c.flags));
        std::vector<uint8_t> stream;
        for (int i = 0; i < 4; ++i) {
            std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES);
            const int bytes = CompressBuffer_DV(picture.data(), 1440, frame.data(), 0, 720,
                                                c.height, 0, c.flags, DVENC_FOURCC_YUY2);
            frame.resize(bytes);
            if (c.complete) {
                const DVEncTimecode first = {1, 2, 3, 4, 0};
                const DVEncRecordingDate start = {2024, 2, 29, 14, 30, 5};
                const int count = DVEncAudioSamples(bytes, 48000, i);
                ASSERT_EQ(DVEncWriteTimecode(frame.data(), bytes, &first, i), DVENC_FILL_OK);
                ASSERT_EQ(DVEncWriteRecordingDate(frame.data(), bytes, &start, i), DVENC_FILL_OK);
                ASSERT_EQ(DVEncWriteAudio(frame.data(), bytes, sound.data(), count, 2, 48000, i),
                          DVENC_FILL_OK);
            }
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        dir.Write("frames.dv", stream);
        const std::string analysis = MediaInfoDifAnalysis(dir, "frames.dv");
        EXPECT_NE(analysis.find("No identified errors"), std::string::npos) << analysis;
    }
}

TEST(DvencTimecode, ReadmeCommandThatAddsSoundKeepsTheRecordingDate) {
    // The README's ffmpeg command replaces the silent track; ffmpeg rewrites every pack, and
    // its recording date is the creation_time it is given.
    ScratchDir dir;
    if (!HaveProgram(dir, "ffmpeg")) GTEST_SKIP() << kNoFfmpeg;
    std::ifstream readme(std::string(ENC_DV_SOURCE_DIR) + "/README.md");
    const std::string text((std::istreambuf_iterator<char>(readme)), {});
    const size_t at = text.find("ffmpeg -i clip.dv -i sound.wav");
    ASSERT_NE(at, std::string::npos) << "README has no command that adds sound";
    std::string command = text.substr(at, text.find('\n', at) - at);
    ASSERT_NE(command.find("creation_time=2026-12-07T14:30:05"), std::string::npos) << command;
    dir.Write("sound.wav", WavFile({}, TestSound(48000, 4)));
    ASSERT_EQ(dir.Dvenc("--quiet --demo --frames 10 --timecode 01:02:03:04 "
                        "--date 2026-12-07T14:30:05 clip.dv")
                  .exitCode,
              0);
    const RunResult r = dir.Shell("TZ=UTC " + command.replace(0, 6, "ffmpeg -v error -y"));
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    if (HaveLibdv()) {
        const std::vector<LibdvFrame> frames =
            ReadWithLibdv(dir.Read("clip-with-sound.dv"), DVENC_FRAME_BYTES_625);
        ASSERT_EQ(frames.size(), 10u);
        EXPECT_EQ(frames[0].date, "1926-12-07 14:30:05");  // two-digit year, as above
        EXPECT_EQ(frames[0].timecode, "01:02:03.04");
        EXPECT_EQ(frames[0].samples, 1920);
    }
    if (HaveProgram(dir, "mediainfo")) {
        EXPECT_EQ(MediaInfoField(dir, "clip-with-sound.dv", "General;%Recorded_Date%"),
                  "1926-12-07 14:30:05.000");
    }
}

TEST(ReadmeExample, WritesACompleteDvFileWithSoundTimecodeAndDate) {
    ScratchDir dir;
    if (!std::getenv("ENC_DV_TEST_BINARY_DIR"))
        GTEST_SKIP() << "ENC_DV_TEST_BINARY_DIR is set by ctest";
    const RunResult r = dir.Shell("'" + BuiltProgramPath("tests/readme_example") + "'");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const std::vector<uint8_t> dv = dir.Read("tone.dv");
    ASSERT_EQ(dv.size(), 250u * DVENC_FRAME_BYTES_625);
    if (HaveProgram(dir, "ffprobe")) {
        ASSERT_EQ(dir.Shell("ffprobe -v error -show_entries format_tags=timecode -of csv=p=0 "
                            "tone.dv > tc.txt")
                      .exitCode,
                  0);
        EXPECT_EQ(Bytes(dir.Read("tc.txt")), "10:00:00:00\n");
    }
    if (!HaveLibdv()) return;
    const std::vector<LibdvFrame> frames = ReadWithLibdv(dv, DVENC_FRAME_BYTES_625);
    ASSERT_EQ(frames.size(), 250u);
    EXPECT_EQ(frames[249].timecode, "10:00:09.24");
    EXPECT_EQ(frames[249].date, "2024-05-17 09:30:09");
    ASSERT_EQ(frames[1].samples, 1920);
    // Sample 1921 of the stream opens frame 1: 440 Hz on the left, 660 Hz on the right.
    EXPECT_EQ(frames[1].left[0],
              static_cast<short>(8000 * std::sin(1920 * 440 * 6.283185 / 48000)));
    EXPECT_EQ(frames[1].right[0],
              static_cast<short>(8000 * std::sin(1920 * 660 * 6.283185 / 48000)));
}

}  // namespace
}  // namespace dvenc_test
