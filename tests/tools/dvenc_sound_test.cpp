// dvenc's sound, time code and recording date, read back by independent readers: ffmpeg
// and ffprobe run as programs, libdv linked in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dv_blocks.h"
#include "dvenc_runner.h"
#include "enc_dv.h"
#include "test_streams.h"
#include "wav_file.h"

#ifdef ENC_DV_HAVE_LIBDV
#include <libdv/dv.h>
#endif

namespace dvenc_test {
namespace {

bool HaveProgram(const ScratchDir& dir, const char* name) {
    return dir.Shell(std::string("command -v ") + name + " >/dev/null").exitCode == 0;
}

constexpr char kNoFfmpeg[] = "ffmpeg and ffprobe are not installed (apt-get install ffmpeg)";

// Samples per channel in the first frames of a system at 48 kHz: 1920 a frame at 625/50,
// the locked pattern 1600, 1602, 1602, 1602, 1602 at 525/60.
long long LockedSamples(bool is625, int frames) {
    long long total = 0;
    for (int f = 0; f < frames; ++f) total += is625 ? 1920 : (f % 5 == 0 ? 1600 : 1602);
    return total;
}

std::vector<int16_t> FromBytes(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return out;
}

TEST(DvencSound, WavComesBackSampleForSampleThroughFfmpeg) {
    ScratchDir dir;
    if (!HaveProgram(dir, "ffmpeg")) GTEST_SKIP() << kNoFfmpeg;
    std::vector<int16_t> sound = TestSound(48000 * 5, 11);
    sound[1000] = -32768;
    dir.Write("sound.wav", WavFile({}, sound));
    for (int16_t& s : sound) s = s == -32768 ? -32767 : s;  // DV's mark of a lost sample
    const struct {
        bool is625;
        int frames;
    } cases[] = {{true, 5}, {true, 10}, {false, 5}, {false, 10}, {false, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.is625 ? "625/50, " : "525/60, ") + std::to_string(c.frames) +
                     " frames");
        const RunResult r =
            dir.Dvenc(std::string("--quiet --demo --size 720x") + (c.is625 ? "576" : "480") +
                      " --frames " + std::to_string(c.frames) + " --audio sound.wav out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        ASSERT_EQ(dir.Shell("ffmpeg -v error -y -i out.dv -map 0:a -f s16le out.raw").exitCode, 0);
        const std::vector<int16_t> back = FromBytes(dir.Read("out.raw"));
        ASSERT_EQ(static_cast<long long>(back.size()), 2 * LockedSamples(c.is625, c.frames));
        EXPECT_TRUE(std::equal(back.begin(), back.end(), sound.begin()));
    }
}

TEST(DvencSound, ShortSoundIsPaddedAndLongSoundCutWithANote) {
    ScratchDir dir;
    if (!HaveProgram(dir, "ffmpeg")) GTEST_SKIP() << kNoFfmpeg;
    const std::vector<int16_t> sound = TestSound(3000, 5);  // 1.56 frames at 625/50
    dir.Write("short.wav", WavFile({}, sound));
    RunResult r = dir.Dvenc("--demo --frames 3 --audio short.wav out.dv");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_NE(r.errors.find("dvenc: note: the sound of 'short.wav' ends 0.06 s before the video; "
                            "silence fills the rest\n"),
              std::string::npos)
        << r.errors;
    ASSERT_EQ(dir.Shell("ffmpeg -v error -y -i out.dv -map 0:a -f s16le out.raw").exitCode, 0);
    std::vector<int16_t> back = FromBytes(dir.Read("out.raw"));
    ASSERT_EQ(back.size(), 2u * 3 * 1920);
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), back.begin()));
    EXPECT_TRUE(
        std::all_of(back.begin() + sound.size(), back.end(), [](int16_t s) { return s == 0; }));

    r = dir.Dvenc("--demo --frames 1 --audio short.wav out.dv");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_NE(r.errors.find("dvenc: note: the sound of 'short.wav' goes on 0.02 s after the video; "
                            "it is cut at the last frame\n"),
              std::string::npos)
        << r.errors;
    // Fitting sound draws no note, nor does --quiet.
    dir.Write("fits.wav", WavFile({}, std::vector<int16_t>(sound.begin(), sound.begin() + 3840)));
    r = dir.Dvenc("--demo --frames 1 --audio fits.wav out.dv");
    EXPECT_EQ(r.errors.find("note"), std::string::npos) << r.errors;
    r = dir.Dvenc("--quiet --demo --frames 1 --audio short.wav out.dv");
    EXPECT_EQ(r.errors, "");
}

TEST(DvencSound, UnsuitableSoundIsRefusedBeforeTheOutputIsTouched) {
    ScratchDir dir;
    dir.Write("out.dv", std::string("precious"));
    dir.Write("float.wav", WavFile({3, 2, 48000, 32}, TestSound(100, 1)));
    const RunResult r = dir.Dvenc("--demo --frames 1 --audio float.wav out.dv");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errors.rfind("dvenc: error: 'float.wav': sound is 32-bit float", 0), 0u)
        << r.errors;
    EXPECT_NE(r.errors.find("-ac 2 -ar 48000 -c:a pcm_s16le"), std::string::npos);
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), '\n'), 1);
    EXPECT_EQ(Bytes(dir.Read("out.dv")), "precious");
}

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

TEST(DvencTimecode, SubcodeAndVauxCarryTimecodeAndDateInEverySequence) {
    ScratchDir dir;
    ASSERT_EQ(dir.Dvenc("--quiet --demo --frames 26 --timecode 01:00:00:24 "
                        "--date 2026-12-31T23:59:59 out.dv")
                  .exitCode,
              0);
    const std::vector<uint8_t> dv = dir.Read("out.dv");
    ASSERT_EQ(dv.size(), 26u * DVENC_FRAME_BYTES_625);
    const uint8_t* second = dv.data() + DVENC_FRAME_BYTES_625;
    const uint8_t* last = dv.data() + 25 * DVENC_FRAME_BYTES_625;
    // 12 sequences x 2 subcode blocks x 2 of each pack; the VAUX has one of each per sequence.
    EXPECT_EQ(PacksOf(dv.data(), DVENC_FRAME_BYTES_625, 1, 0x13),
              std::vector<std::string>(48, "13 24 00 00 01"));
    EXPECT_EQ(PacksOf(second, DVENC_FRAME_BYTES_625, 1, 0x13),
              std::vector<std::string>(48, "13 00 01 00 01"));
    EXPECT_EQ(PacksOf(second, DVENC_FRAME_BYTES_625, 1, 0x62),
              std::vector<std::string>(48, "62 FF F1 F2 26"));
    EXPECT_EQ(PacksOf(second, DVENC_FRAME_BYTES_625, 2, 0x63),
              std::vector<std::string>(12, "63 FF D9 D9 E3"));
    // Frame 25 is a second later, in the next year.
    EXPECT_EQ(PacksOf(last, DVENC_FRAME_BYTES_625, 1, 0x62),
              std::vector<std::string>(48, "62 FF C1 E1 27"));
    EXPECT_EQ(PacksOf(last, DVENC_FRAME_BYTES_625, 2, 0x63),
              std::vector<std::string>(12, "63 FF 80 80 C0"));
    // The library's VAUX packs stay; without --date there is no date anywhere.
    EXPECT_EQ(PacksOf(dv.data(), DVENC_FRAME_BYTES_625, 2, 0x60).size(), 12u);
    ASSERT_EQ(dir.Dvenc("--quiet --demo --frames 1 plain.dv").exitCode, 0);
    const std::vector<uint8_t> plain = dir.Read("plain.dv");
    EXPECT_TRUE(PacksOf(plain.data(), plain.size(), 1, 0x62).empty());
    EXPECT_TRUE(PacksOf(plain.data(), plain.size(), 2, 0x62).empty());
    // Locked 48 kHz, 1920 samples, left then right channel (the library writes 50 D8 00).
    std::vector<std::string> sourcePacks(6, "50 58 00 E0 C0");
    sourcePacks.resize(12, "50 58 01 E0 C0");
    EXPECT_EQ(PacksOf(plain.data(), plain.size(), 3, 0x50), sourcePacks);
}

#ifdef ENC_DV_HAVE_LIBDV
struct LibdvFrame {
    int samples = 0;
    int frequency = 0;
    std::string timecode;
    std::string date;
};

std::vector<LibdvFrame> ReadWithLibdv(const std::vector<uint8_t>& dv, size_t frameBytes) {
    std::vector<LibdvFrame> frames;
    dv_decoder_t* decoder = dv_decoder_new(0, 0, 0);
    std::vector<int16_t> channels[4];
    int16_t* out[4];
    for (int i = 0; i < 4; ++i) {
        channels[i].resize(2000);
        out[i] = channels[i].data();
    }
    for (size_t at = 0; at + frameBytes <= dv.size(); at += frameBytes) {
        LibdvFrame f;
        EXPECT_GE(dv_parse_header(decoder, dv.data() + at), 0);
        dv_parse_packs(decoder, dv.data() + at);
        EXPECT_TRUE(dv_decode_full_audio(decoder, dv.data() + at, out));
        f.samples = dv_get_num_samples(decoder);
        f.frequency = dv_get_frequency(decoder);
        char text[64] = {};
        dv_get_timestamp(decoder, text);
        f.timecode = text;
        if (dv_get_recording_datetime(decoder, text)) f.date = text;
        frames.push_back(f);
    }
    dv_decoder_free(decoder);
    return frames;
}

TEST(DvencSound, LibdvReadsEachFramesSampleCountTimecodeAndDate) {
    ScratchDir dir;
    dir.Write("48k.wav", WavFile({}, TestSound(60000, 2)));
    dir.Write("32k.wav", WavFile({1, 1, 32000}, TestSound(5000, 2)));
    ASSERT_EQ(dir.Dvenc("--quiet --demo --size 720x480 --frames 31 --audio 48k.wav "
                        "--timecode '00:09:59;28' --date 2024-06-30T23:59:59 a.dv")
                  .exitCode,
              0);
    std::vector<LibdvFrame> frames = ReadWithLibdv(dir.Read("a.dv"), DVENC_FRAME_BYTES_525);
    ASSERT_EQ(frames.size(), 31u);
    for (int f = 0; f < 31; ++f) {
        EXPECT_EQ(frames[f].samples, f % 5 == 0 ? 1600 : 1602) << f;
        EXPECT_EQ(frames[f].frequency, 48000);
    }
    // libdv writes time codes with '.' before the frames.
    EXPECT_EQ(frames[0].timecode, "00:09:59.28");
    EXPECT_EQ(frames[2].timecode, "00:10:00.00");  // every tenth minute keeps its 00 and 01
    EXPECT_EQ(frames[0].date, "2024-06-30 23:59:59");
    EXPECT_EQ(frames[29].date, "2024-06-30 23:59:59");  // 29 x 1001 / 30000 s later
    EXPECT_EQ(frames[30].date, "2024-07-01 00:00:00");  // 1.001 s later

    ASSERT_EQ(dir.Dvenc("--quiet --demo --size 720x480 --frames 4 --audio 32k.wav b.dv").exitCode,
              0);
    frames = ReadWithLibdv(dir.Read("b.dv"), DVENC_FRAME_BYTES_525);
    ASSERT_EQ(frames.size(), 4u);
    // 32000 x 1001 / 30000 = 1067.73 a frame: 1067, 2135, 3203, 4270 samples in all
    const int expected[] = {1067, 1068, 1068, 1067};
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(frames[f].samples, expected[f]) << f;
        EXPECT_EQ(frames[f].frequency, 32000);
        EXPECT_EQ(frames[f].date, "");
    }
}
#endif

}  // namespace
}  // namespace dvenc_test
