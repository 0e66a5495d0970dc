#include "dv_audio.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "dif_layout.h"

namespace dvenc {
namespace {

TEST(DvAudio, SampleCountsPerFrameAddUpToTheRateOverAnyLength) {
    // 525/60: 48 kHz locked, 1600 then four times 1602; the other rates never drift by a
    // whole sample from rate x 1001 / 30000 per frame. 625/50: rate / 25 every frame.
    const struct {
        int rate;
        bool is625;
        int low, high;  // the range of IEC 61834-4 for the rate and system
    } cases[] = {
        {48000, false, 1580, 1620}, {44100, false, 1452, 1489}, {32000, false, 1053, 1080},
        {48000, true, 1896, 1944},  {44100, true, 1742, 1786},  {32000, true, 1264, 1296},
    };
    for (const auto& c : cases) {
        long long total = 0;
        for (long long f = 0; f < 3000; ++f) {
            const int n = AudioSamplesInFrame(c.rate, c.is625, f);
            ASSERT_GE(n, c.low);
            ASSERT_LE(n, c.high);
            total += n;
            const long long frames = f + 1;
            const long long due = c.is625 ? frames * c.rate / 25 : frames * c.rate * 1001 / 30000;
            if (c.rate == 48000 && !c.is625) {
                ASSERT_EQ(n, f % 5 == 0 ? 1600 : 1602) << "frame " << f;
                if (frames % 5 == 0) {
                    ASSERT_EQ(total, due) << frames << " frames";
                }
            } else {
                ASSERT_EQ(total, due) << c.rate << " Hz, " << frames << " frames";
            }
        }
    }
}

TEST(DvAudio, ShufflePlacesEverySampleOnceAndSpreadsNeighbours) {
    for (const bool is625 : {false, true}) {
        const int capacity = is625 ? 1944 : 1620;
        std::set<std::vector<int>> used;
        for (int n = 0; n < capacity; ++n) {
            const AudioSamplePlace p = PlaceOfAudioSample(is625, n);
            ASSERT_GE(p.sequence, 0);
            ASSERT_LT(p.sequence, is625 ? 6 : 5);
            ASSERT_GE(p.block, 0);
            ASSERT_LT(p.block, 9);
            ASSERT_GE(p.byte, 8);
            ASSERT_LE(p.byte, 78);
            ASSERT_EQ(p.byte % 2, 0);
            EXPECT_TRUE(used.insert({p.sequence, p.block, p.byte}).second) << "sample " << n;
            // A lost block costs isolated samples: neighbours never share a block.
            if (n > 0) {
                const AudioSamplePlace q = PlaceOfAudioSample(is625, n - 1);
                EXPECT_FALSE(p.sequence == q.sequence && p.block == q.block) << n;
            }
        }
        EXPECT_EQ(used.size(), static_cast<size_t>(capacity));
    }
    // The first samples of 525/60 (IEC 61834-2): 0 in sequence 0 block 0, 1 in sequence 2
    // block 3, 2 in sequence 4 block 6, 3 in sequence 1 block 0, 15 in sequence 0 block 1.
    const int expected[][4] = {{0, 0, 0, 8}, {1, 2, 3, 8},  {2, 4, 6, 8},
                               {3, 1, 0, 8}, {15, 0, 1, 8}, {45, 0, 0, 10}};
    for (const auto& e : expected) {
        const AudioSamplePlace p = PlaceOfAudioSample(false, e[0]);
        EXPECT_EQ(p.sequence * 10000 + p.block * 100 + p.byte, e[1] * 10000 + e[2] * 100 + e[3])
            << "sample " << e[0];
    }
}

TEST(DvAudio, SourcePackNamesSystemRateAndCount) {
    const struct {
        int rate;
        bool is625;
        int samples;
        bool second;
        uint8_t pack[5];
    } cases[] = {
        // locked 48 kHz (LF 0): count - 1580 or - 1896; 50/60 flag; frequency 0
        {48000, false, 1600, false, {0x50, 0x54, 0x00, 0xC0, 0xC0}},
        {48000, false, 1602, true, {0x50, 0x56, 0x01, 0xC0, 0xC0}},
        {48000, true, 1920, false, {0x50, 0x58, 0x00, 0xE0, 0xC0}},
        // unlocked (LF 1) 44.1 and 32 kHz
        {44100, true, 1764, false, {0x50, 0xD6, 0x00, 0xE0, 0xC8}},
        {44100, false, 1472, false, {0x50, 0xD4, 0x00, 0xC0, 0xC8}},
        {32000, false, 1067, true, {0x50, 0xCE, 0x01, 0xC0, 0xD0}},
        {32000, true, 1280, false, {0x50, 0xD0, 0x00, 0xE0, 0xD0}},
    };
    for (const auto& c : cases) {
        uint8_t pack[5];
        AudioSourcePack(c.rate, c.is625, c.samples, c.second, pack);
        EXPECT_EQ(std::vector<uint8_t>(pack, pack + 5), std::vector<uint8_t>(c.pack, c.pack + 5))
            << c.rate << " Hz, " << c.samples << " samples";
    }
}

TEST(DvAudio, WriteAudioFillsOnlyTheAudioBlocks) {
    // A frame of 0x33 bytes: the audio blocks get samples and packs, nothing else changes;
    // each half of the sequences holds one channel, most significant byte first.
    for (const bool headerBlocks : {true, false}) {
        DifLayout layout;
        layout.is625 = false;
        layout.headerBlocks = headerBlocks;
        std::vector<uint8_t> frame(layout.FrameBytes(), 0x33);
        std::vector<int16_t> stereo(2 * 1600);
        for (int n = 0; n < 1600; ++n) {
            stereo[2 * n] = static_cast<int16_t>(n);
            stereo[2 * n + 1] = static_cast<int16_t>(-1 - n);
        }
        WriteAudio(frame.data(), layout, 48000, stereo.data(), 1600);
        std::set<size_t> audioBlocks;
        for (int s = 0; s < 10; ++s) {
            for (int b = 0; b < 9; ++b) audioBlocks.insert(layout.Audio(s, b));
        }
        for (size_t at = 0; at < frame.size(); at += 80) {
            if (audioBlocks.count(at)) continue;
            for (size_t i = 0; i < 80; ++i) ASSERT_EQ(frame[at + i], 0x33) << at;
        }
        for (const int n : {0, 1, 2, 1234, 1599}) {
            const AudioSamplePlace p = PlaceOfAudioSample(false, n);
            const uint8_t* left = &frame[layout.Audio(p.sequence, p.block) + p.byte];
            const uint8_t* right = &frame[layout.Audio(5 + p.sequence, p.block) + p.byte];
            EXPECT_EQ(left[0] << 8 | left[1], n);
            EXPECT_EQ(right[0] << 8 | right[1], 0xFFFF - n);
        }
        // Places past the frame's 1600 samples are silent.
        const AudioSamplePlace past = PlaceOfAudioSample(false, 1610);
        EXPECT_EQ(frame[layout.Audio(past.sequence, past.block) + past.byte], 0);
        // Source pack in block 3 of even sequences and 0 of odd ones, control pack after it.
        EXPECT_EQ(frame[layout.Audio(0, 3) + 3], 0x50);
        EXPECT_EQ(frame[layout.Audio(0, 4) + 3], 0x51);
        EXPECT_EQ(frame[layout.Audio(7, 0) + 3], 0x50);
        EXPECT_EQ(frame[layout.Audio(7, 0) + 5], 0x01);  // second channel
        EXPECT_EQ(frame[layout.Audio(7, 1) + 3], 0x51);
        EXPECT_EQ(frame[layout.Audio(7, 2) + 3], 0x33);  // other packs left alone
    }
}

}  // namespace
}  // namespace dvenc
