// dvenc's sound, read back by independent readers: ffmpeg run as a program, libdv linked in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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
        const std::vector<int16_t> back = Pcm16(dir.Read("out.raw"));
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

// Four channels at 32 kHz (DV's 12-bit mode), from the library's writer and from dvenc with
// a four-channel WAV file: ffmpeg and MediaInfo show two 12-bit stereo streams, libdv the
// second pair and both mixed. The sound holds only values the 12-bit code keeps exactly
// (multiples of 64 and their complements), so every sample must come back as it was.
TEST(DvencSound, FourChannelsAt32kHzComeBackInPlaceThroughFfmpegAndLibdv) {
    ScratchDir dir;
    if (!HaveProgram(dir, "ffmpeg")) GTEST_SKIP() << kNoFfmpeg;
    std::vector<int16_t> sound = TestSound(2 * 32000, 5);  // 32000 four-channel frames
    // (-32641 is the loudest negative level: the next would be 800h, a lost sample.)
    for (int16_t& s : sound) {
        s = static_cast<int16_t>(s >= 0 ? s & ~63 : std::max(~(~s & ~63), -32641));
    }
    dir.Write("four.wav", WavFile({1, 4, 32000}, sound));
    // Both pairs through ffmpeg, sample for sample.
    auto expectPairsThroughFfmpeg = [&](const std::string& file, size_t done) {
        ASSERT_EQ(dir.Shell("ffmpeg -v error -y -i " + file +
                            " -map 0:a:0 -f s16le a.raw -map 0:a:1 -f s16le b.raw")
                      .exitCode,
                  0);
        const std::vector<int16_t> pairs[2] = {Pcm16(dir.Read("a.raw")), Pcm16(dir.Read("b.raw"))};
        for (int p = 0; p < 2; ++p) {
            ASSERT_EQ(pairs[p].size(), 2 * done) << "pair " << p;
            for (size_t n = 0; n < done; ++n) {
                ASSERT_EQ(pairs[p][2 * n], sound[4 * n + 2 * p]) << "pair " << p << " sample " << n;
                ASSERT_EQ(pairs[p][2 * n + 1], sound[4 * n + 2 * p + 1]) << n;
            }
        }
    };
    for (const int height : {576, 480}) {
        SCOPED_TRACE(height);
        const std::vector<uint8_t> picture(1440 * 576, 0x80);
        std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES);
        const int bytes = CompressBuffer_DV(picture.data(), 1440, frame.data(), 0, 720, height, 0,
                                            0, DVENC_FOURCC_YUY2);
        ASSERT_GT(bytes, 0);
        frame.resize(static_cast<size_t>(bytes));
        const int frames = 6;
        std::vector<uint8_t> stream;
        size_t done = 0;
        for (int i = 0; i < frames; ++i) {
            const int count = DVEncAudioSamples(bytes, 32000, i);
            ASSERT_EQ(
                DVEncWriteAudio(frame.data(), bytes, sound.data() + 4 * done, count, 4, 32000, i),
                DVENC_FILL_OK);
            done += static_cast<size_t>(count);
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        dir.Write("four.dv", stream);
        expectPairsThroughFfmpeg("four.dv", done);
        const RunResult r = dir.Dvenc("--quiet --demo --size 720x" + std::to_string(height) +
                                      " --frames 6 --audio four.wav dvenc.dv");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        expectPairsThroughFfmpeg("dvenc.dv", done);
        if (HaveProgram(dir, "mediainfo")) {
            EXPECT_EQ(MediaInfoField(dir, "four.dv", "Audio;%BitDepth% %Channel(s)% "),
                      "12 2 12 2 ");
            const std::string analysis = MediaInfoDifAnalysis(dir, "four.dv");
            EXPECT_NE(analysis.find("No identified errors"), std::string::npos) << analysis;
        }
        // libdv decodes the second pair into its third and fourth outputs and, at 625/50,
        // mixes it into the first (its default): each output then the mean of its two
        // channels, each halved before they are added.
        if (!HaveLibdv()) continue;
        auto firstPair = [](int got, int channel, int mixedWith) {
            return got == channel || std::abs(2 * got - channel - mixedWith) <= 2;
        };
        size_t n = 0;
        for (const LibdvFrame& f : ReadWithLibdv(stream, static_cast<size_t>(bytes))) {
            ASSERT_EQ(f.frequency, 32000);
            for (int i = 0; i < f.samples; ++i, ++n) {
                const int16_t* in = &sound[4 * n];
                ASSERT_EQ(f.third[i], in[2]) << n;
                ASSERT_EQ(f.fourth[i], in[3]) << n;
                ASSERT_TRUE(firstPair(f.left[i], in[0], in[2])) << n;
                ASSERT_TRUE(firstPair(f.right[i], in[1], in[3])) << n;
            }
        }
        EXPECT_EQ(n, done);
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
    std::vector<int16_t> back = Pcm16(dir.Read("out.raw"));
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
