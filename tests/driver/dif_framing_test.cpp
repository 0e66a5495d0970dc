// Framing of whole frames. Expected bytes are the IEC 61834-2 / SMPTE 314M values, written
// out here independently of the library's tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "driver/shuffle.h"
#include "enc_dv.h"
#include "fake_reader.h"

namespace encdv::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// Header block bytes 3-7 and the VAUX source and source control packs.
const uint8_t k525[5] = {0x3F, 0x68, 0x78, 0x78, 0x78};
const uint8_t k525Smpte[5] = {0x3F, 0xF9, 0xF9, 0x79, 0xF9};
const uint8_t k625[5] = {0xBF, 0x68, 0x78, 0x78, 0x78};
const uint8_t k625Smpte[5] = {0xBF, 0xF9, 0xF9, 0x79, 0xF9};
const uint8_t kVaux525[10] = {0x60, 0xFF, 0xFF, 0x00, 0xFF, 0x61, 0x33, 0xC8, 0xFC, 0xFF};
const uint8_t kVaux525Wide[10] = {0x60, 0xFF, 0xFF, 0x00, 0xFF, 0x61, 0x33, 0xCA, 0xFC, 0xFF};
const uint8_t kVaux420[10] = {0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xC8, 0xFD, 0xFF};
const uint8_t kVaux420Wide[10] = {0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xCF, 0xFD, 0xFF};
const uint8_t kVaux411[10] = {0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xC8, 0xFC, 0xFF};
const uint8_t kVaux411Wide[10] = {0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xCA, 0xFC, 0xFF};

constexpr uint32_t kNoHeader = DVENC_FLAG_NO_HEADER_BLOCK;
constexpr uint32_t kSmpte = DVENC_FLAG_SMPTE314M;
constexpr uint32_t kWide = DVENC_FLAG_WIDE;

struct Case {
    int mode;
    uint32_t flags;
    int size;
    const uint8_t* header;
    const uint8_t* vaux;
};
const Case kCases[] = {
    {3, 0, 120000, k525, kVaux525},
    {3, kWide, 120000, k525, kVaux525Wide},
    {3, kSmpte, 120000, k525Smpte, kVaux525},
    // Bits that do not touch framing change nothing.
    {3, kNoHeader | DVENC_FLAG_MB_QUANT | 0x40000000u, 119200, nullptr, kVaux525},
    {0, 0, 144000, k625, kVaux420},
    {0, kWide | kNoHeader, 143040, nullptr, kVaux420Wide},
    {2, kSmpte, 144000, k625Smpte, kVaux411},
    {2, kSmpte | kWide, 144000, k625Smpte, kVaux411Wide},
};

// Non-video block of section type sct (0 header, 1 subcode, 2 VAUX, 3 audio).
std::array<uint8_t, 80> ExpectedBlock(const Case& c, int sct, int dbn, int s) {
    static const uint8_t kSource[5] = {0x50, 0xD8, 0x00, 0xE0, 0xC0};
    static const uint8_t kControl[5] = {0x51, 0x3F, 0xCF, 0xA0, 0xFF};
    static const uint8_t kEmpty[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::array<uint8_t, 80> b;
    b.fill(sct == 3 ? 0x00 : 0xFF);
    b[0] = static_cast<uint8_t>(0x1F + 0x20 * sct);
    b[1] = static_cast<uint8_t>(s * 16 + 7);
    b[2] = static_cast<uint8_t>(dbn);
    const bool odd = s % 2 == 1;
    if (sct == 0) std::memcpy(&b[3], c.header, 5);
    if (sct == 2 && dbn == (odd ? 0 : 2)) std::memcpy(&b[odd ? 3 : 48], c.vaux, 10);
    if (sct == 3) {
        const int first = odd ? 0 : 3;
        std::memcpy(&b[3], dbn == first ? kSource : dbn == first + 1 ? kControl : kEmpty, 5);
    }
    return b;
}

Bytes Encode(int mode, uint32_t flags, int threads = 1, uint8_t fill = 0xA5,
             FakeReader* reader = nullptr) {
    WorkerPool pool{};
    Bytes out;
    RunFakeFrame(mode, flags, threads, pool, out, fill, reader);
    return out;
}

// Every block of every sequence in transmission order; with VIDEO_ONLY the non-video
// blocks keep the caller's bytes and the video blocks stay the same.
TEST(DifFraming, EveryBlockOfEveryModeAndFlag) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " flags " << c.flags);
        const Bytes frame = Encode(c.mode, c.flags);
        const Bytes videoOnly = Encode(c.mode, c.flags | DVENC_FLAG_VIDEO_ONLY, 3, 0x5A);
        ASSERT_EQ(frame.size(), static_cast<size_t>(c.size));
        ASSERT_EQ(videoOnly.size(), frame.size());
        const int skipped = (c.flags & DVENC_FLAG_NO_HEADER_BLOCK) ? 1 : 0;
        const int perSequence = 150 - skipped;
        int bad = 0;
        for (int block = 0; block < c.size / 80 && bad < 5; ++block) {
            const int s = block / perSequence, b = block % perSequence + skipped;
            const uint8_t* got = &frame[80 * block];
            const uint8_t* kept = &videoOnly[80 * block];
            const int p = b - 6;  // position among the audio and video blocks
            if (p >= 0 && p % 16 != 0) {
                const uint8_t id[3] = {0x90, static_cast<uint8_t>(s * 16 + 7),
                                       static_cast<uint8_t>(p - p / 16 - 1)};
                bad += std::memcmp(got, id, 3) != 0 || std::memcmp(got, kept, 80) != 0;
            } else {
                const int sct = b == 0 ? 0 : b < 3 ? 1 : b < 6 ? 2 : 3;
                const int dbn = b == 0 ? 0 : b < 3 ? b - 1 : b < 6 ? b - 3 : p / 16;
                bad += std::memcmp(got, ExpectedBlock(c, sct, dbn, s).data(), 80) != 0 ||
                       std::count(kept, kept + 80, 0x5A) != 80;
            }
            EXPECT_EQ(bad, 0) << "block " << block;
        }
    }
}

TEST(DifFraming, Frame525StartsWithHeaderBlockAndAudioBlock3IsBlock55) {
    const Bytes frame = Encode(3, 0);
    const Bytes start = {0x1F, 0x07, 0x00, 0x3F, 0x68, 0x78, 0x78, 0x78, 0xFF, 0xFF};
    const Bytes audio3 = {0x7F, 0x07, 0x03, 0x50, 0xD8, 0x00, 0xE0, 0xC0, 0x00, 0x00};
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 10), start);
    EXPECT_EQ(Bytes(frame.begin() + 54 * 80, frame.begin() + 54 * 80 + 10), audio3);
    const Bytes last625 = Encode(0, 0);
    EXPECT_EQ(Bytes(last625.end() - 80, last625.end() - 77), Bytes({0x90, 0xB7, 0x86}));
}

TEST(DifFraming, SwappingFieldsTwiceGivesTheUnswappedFrame) {
    for (int mode : {3, 0}) {
        FakeReader swappedByHost(true);
        const Bytes neither = Encode(mode, 0);
        EXPECT_EQ(Encode(mode, DVENC_FLAG_SWAP_FIELDS, 1, 0xA5, &swappedByHost), neither);
        EXPECT_NE(Encode(mode, DVENC_FLAG_SWAP_FIELDS), neither);
    }
}

// Each thread reads, under its own index, its own sequences' macroblocks in block order;
// in thread order the reads are the whole shuffle table once.
TEST(DifFraming, ThreadsReadTheShuffledMacroblocksOfTheirOwnSequences) {
    for (int threads : {1, 3, 16}) {
        FakeReader reader;
        Encode(2, DVENC_FLAG_SMPTE314M, threads, 0, &reader);
        std::vector<int32_t> all;
        for (const auto& log : reader.calls) {
            EXPECT_EQ(log.size() % (2 * kVideoBlocksPerSequence), 0u);
            all.insert(all.end(), log.begin(), log.end());
        }
        const int32_t* table = GetShuffleTable(2);
        EXPECT_EQ(all, std::vector<int32_t>(table, table + 2 * 12 * kVideoBlocksPerSequence))
            << threads << " threads";
    }
}

}  // namespace
}  // namespace encdv::testing
