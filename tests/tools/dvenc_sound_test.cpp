// dvenc's sound, read back by independent readers: ffmpeg run as a program, libdv linked in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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

std::vector<int16_t> FromBytes(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return out;
}

TEST(DvencSound, WavComesBackSampleForSampleThroughFfmpegAndLibdv) {
    ScratchDir dir;
    if (!HaveProgram(dir, "ffmpeg")) GTEST_SKIP() << kNoFfmpeg;
    const struct {
        bool is625;
        int rate;
        int frames;
    } cases[] = {{true, 48000, 10},  {false, 48000, 100}, {true, 44100, 6},
                 {false, 44100, 12}, {true, 32000, 6},    {false, 32000, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.is625 ? "625/50, " : "525/60, ") + std::to_string(c.rate) +
                     " Hz");
        std::vector<int16_t> sound = TestSound(c.rate * 5, 11);
        sound[1000] = -32768;
        dir.Write("sound.wav", WavFile({1, 2, c.rate}, sound));
        for (int16_t& s : sound) s = s == -32768 ? -32767 : s;  // DV's mark of a lost sample
        const RunResult r =
            dir.Dvenc(std::string("--quiet --demo --size 720x") + (c.is625 ? "576" : "480") +
                      " --frames " + std::to_string(c.frames) + " --audio sound.wav out.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        const int frameBytes = c.is625 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
        size_t pairs = 0;
        for (int f = 0; f < c.frames; ++f) pairs += DVEncAudioSamples(frameBytes, c.rate, f);

        ASSERT_EQ(dir.Shell("ffmpeg -v error -y -i out.dv -map 0:a -f s16le out.raw").exitCode, 0);
        const std::vector<int16_t> back = FromBytes(dir.Read("out.raw"));
        ASSERT_EQ(back.size(), 2 * pairs);
        EXPECT_TRUE(std::equal(back.begin(), back.end(), sound.begin()));

        if (!HaveLibdv()) continue;
        std::vector<int16_t> both;
        for (const LibdvFrame& f : ReadWithLibdv(dir.Read("out.dv"), frameBytes)) {
            EXPECT_EQ(f.frequency, c.rate);
            for (int i = 0; i < f.samples; ++i) {
                both.push_back(f.left[i]);
                both.push_back(f.right[i]);
            }
        }
        ASSERT_EQ(both.size(), 2 * pairs);
        EXPECT_TRUE(std::equal(both.begin(), both.end(), sound.begin()));
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

}  // namespace
}  // namespace dvenc_test
