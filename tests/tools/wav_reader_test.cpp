#include "sources/wav_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dvenc_runner.h"
#include "wav_file.h"

namespace dvenc_test {
namespace {

using dvenc::WavReader;

TEST(WavReader, ReadsPcmLayoutsAsStereo) {
    ScratchDir dir;
    const std::vector<int16_t> stereo = TestSound(1000, 7);
    std::vector<int16_t> mono(1000);
    for (int i = 0; i < 1000; ++i) mono[i] = stereo[2 * i];
    const struct {
        const char* name;
        WavShape shape;
        bool isMono;
    } cases[] = {
        {"plain", {}, false},
        {"extensible with a LIST chunk", {1, 2, 44100, 16, true, true, false}, false},
        {"unknown length", {1, 2, 32000, 16, false, false, true}, false},
        {"mono", {1, 1, 48000, 16, false, false, false}, true},
        {"a LIST chunk after the data", {1, 2, 48000, 16, false, false, false, true}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("in.wav", WavFile(c.shape, c.isMono ? mono : stereo));
        std::string error;
        auto wav = WavReader::Open(dir.File("in.wav"), &error);
        ASSERT_TRUE(wav) << error;
        EXPECT_EQ(wav->Format().sampleRate, c.shape.sampleRate);
        EXPECT_EQ(wav->Remaining(), c.shape.unknownSize ? -1 : 1000);
        // In uneven pieces, with a look ahead between them.
        std::vector<int16_t> got(2 * 1200, 99);
        int at = 0;
        for (const int piece : {1, 333, 0, 600, 266}) {
            EXPECT_TRUE(wav->HasMore());
            at += wav->Read(&got[2 * at], piece);
        }
        EXPECT_EQ(at, 1000);
        EXPECT_FALSE(wav->HasMore());
        EXPECT_EQ(wav->Read(&got[2 * at], 10), 0);
        EXPECT_FALSE(wav->Failed());
        for (int i = 0; i < 1000; ++i) {
            ASSERT_EQ(got[2 * i], stereo[2 * i]) << i;
            ASSERT_EQ(got[2 * i + 1], c.isMono ? stereo[2 * i] : stereo[2 * i + 1]) << i;
        }
    }
}

TEST(WavReader, RefusesOtherSoundNamingTheConversion) {
    ScratchDir dir;
    const std::vector<int16_t> sound = TestSound(10, 3);
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"24-bit", WavFile({1, 2, 48000, 24}, sound), "sound is 24-bit PCM, 48000 Hz, 2 channels"},
        {"float", WavFile({3, 2, 48000, 32, true}, sound), "sound is 32-bit float"},
        {"96 kHz", WavFile({1, 2, 96000, 16}, sound), "16-bit PCM, 96000 Hz"},
        {"5.1", WavFile({1, 6, 48000, 16}, sound), "6 channels"},
        {"four channels at 48 kHz", WavFile({1, 4, 48000, 16}, sound), "48000 Hz, 4 channels"},
        {"not RIFF", "RIFX and so on, not a wave file", "not a WAV file"},
        {"empty", "", "not a WAV file"},
        {"no data", WavFile({}, sound).substr(0, 36), "WAV file without sound data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("bad.wav", c.bytes);
        std::string error;
        EXPECT_FALSE(WavReader::Open(dir.File("bad.wav"), &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        if (std::string(c.name) != "no data") {
            EXPECT_NE(error.find("-ac 2 -ar 48000 -c:a pcm_s16le"), std::string::npos) << error;
        }
    }
}

}  // namespace
}  // namespace dvenc_test
