// The frame writers' exact bytes: time code, recording date and sound in frames of every
// system and header form, read back block by block as a player finds them, and refusals
// that leave the frame as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "enc_dv.h"
#include "frame_data/audio.h"
#include "support/dv_frame_layout.h"

namespace {

using encdv::test::AauxPack;
using encdv::test::FindDifBlock;
using encdv::test::Hex;
using encdv::test::SubcodePack;
using encdv::test::VauxPack;

// A library frame of a flat grey picture.
std::vector<uint8_t> LibraryFrame(int height, unsigned flags) {
    std::vector<uint8_t> picture(1440 * 576, 0x80);
    std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES);
    const int bytes = CompressBuffer_DV(picture.data(), 1440, frame.data(), 0, 720, height, 0,
                                        flags | DVENC_FLAG_SINGLE_THREAD, DVENC_FOURCC_YUY2);
    frame.resize(static_cast<size_t>(bytes));
    return frame;
}

std::vector<int16_t> Sound(int pairs, int channels) {
    std::vector<int16_t> s(static_cast<size_t>(pairs) * channels);
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(i * 7919 + 13);
    return s;
}

struct Row {
    const char* name;
    int height;
    unsigned flags;
    int index;
    DVEncTimecode first;
    DVEncRecordingDate start;
    int rate, channels;  // channels 0: silence
    // Expected: header bytes 3-7 (empty without header blocks), the library's VAUX packs,
    // then the packs the writers add. Hex.
    const char* header;
    const char* vauxSource;
    const char* vauxControl;
    const char* timecode;
    const char* date;
    const char* time;
    const char* aauxSource;  // of the first half; the second's 16-bit mode is 01
};

const Row kRows[] = {
    {"625 4:3, first frame, 48 kHz stereo",
     576,
     0,
     0,
     {10, 0, 0, 0, 0},
     {2024, 2, 29, 14, 30, 5},
     48000,
     2,
     "BF 68 78 78 78",
     "60 FF FF 20 FF",
     "61 33 C8 FD FF",
     "13 00 00 00 10",
     "62 FF E9 E2 24",
     "63 FF 85 B0 D4",
     "50 58 00 E0 C0"},
    {"625 SMPTE 314M 16:9, an hour in, 44.1 kHz mono",
     576,
     DVENC_FLAG_SMPTE314M | DVENC_FLAG_WIDE,
     90025,
     {0, 0, 0, 0, 0},
     {2026, 12, 31, 23, 59, 59},
     44100,
     1,
     "BF F9 79 79 79",
     "60 FF FF 20 FF",
     "61 33 CA FC FF",
     "13 00 01 00 01",
     "62 FF C1 E1 27",
     "63 FF 80 80 C1",
     "50 D6 00 E0 C8"},
    {"625 16:9 no header, day wraps, 32 kHz",
     576,
     DVENC_FLAG_WIDE | DVENC_FLAG_NO_HEADER_BLOCK,
     1,
     {23, 59, 59, 24, 0},
     {2074, 12, 31, -1, 0, 0},
     32000,
     2,
     "",
     "60 FF FF 20 FF",
     "61 33 CF FD FF",
     "13 00 00 00 00",
     "62 FF F1 F2 74",
     "FF FF FF FF FF",
     "50 D0 00 E0 D0"},
    // 107892 frames are 3599.996 s at 30000/1001 frames a second (3596.4 s at 30).
    {"525 16:9 no header, an hour of drop-frame, 48 kHz",
     480,
     DVENC_FLAG_WIDE | DVENC_FLAG_NO_HEADER_BLOCK,
     107892,
     {0, 0, 0, 0, 1},
     {2024, 6, 30, 23, 59, 59},
     48000,
     2,
     "",
     "60 FF FF 00 FF",
     "61 33 CA FC FF",
     "13 40 00 00 01",
     "62 FF C1 E7 24",
     "63 FF D8 D9 C0",
     "50 56 00 C0 C0"},
    {"525 SMPTE 314M, drop-frame minute, silent 32 kHz",
     486,
     DVENC_FLAG_SMPTE314M,
     29,
     {0, 0, 59, 28, 1},
     {2000, 2, 29, -1, 0, 0},
     32000,
     0,
     "3F F9 79 79 79",
     "60 FF FF 00 FF",
     "61 33 C8 FC FF",
     "13 69 00 01 00",
     "62 FF E9 E2 00",
     "FF FF FF FF FF",
     "50 CF 00 C0 D0"},
    {"625, four channels at 32 kHz",
     576,
     0,
     3,
     {10, 0, 0, 0, 0},
     {2024, 2, 29, 14, 30, 5},
     32000,
     4,
     "BF 68 78 78 78",
     "60 FF FF 20 FF",
     "61 33 C8 FD FF",
     "13 03 00 00 10",
     "62 FF E9 E2 24",
     "63 FF 85 B0 D4",
     "50 D0 30 E0 D1"},
};

// The six sync blocks of subcode block b of a sequence in the first (or second) half.
std::string SubcodeBlock(int b, bool firstHalf, const Row& row) {
    std::string expected;
    const std::string packs[3] = {row.timecode, row.date, row.time};
    for (int k = 0; k < 6; ++k) {
        const uint8_t id[3] = {
            static_cast<uint8_t>((firstHalf ? 0x80 : 0) | (k == 0 ? 0x0F : 0x7F)),
            static_cast<uint8_t>(0xF0 | (6 * b + k)), 0xFF};
        expected += (k ? " " : "") + Hex(id, 3) + " " + packs[k % 3];
    }
    for (int i = 0; i < 29; ++i) expected += " FF";  // after the sync blocks: unused
    return expected;
}

TEST(FrameFill, WritesExactPacksInEverySystemAndHeaderForm) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const std::vector<uint8_t> library = LibraryFrame(row.height, row.flags);
        ASSERT_FALSE(library.empty());
        std::vector<uint8_t> frame = library;
        const int bytes = static_cast<int>(frame.size());
        // The compress call wrote the same source control pack: clear its data bytes, so
        // that what is read back is the writer's.
        for (int s = 0; s < (row.height == 576 ? 12 : 10); ++s) {
            uint8_t* control = const_cast<uint8_t*>(
                FindDifBlock(frame.data(), frame.size(), 3, s, s % 2 == 1 ? 1 : 4));
            std::memset(control + 4, 0, 4);
        }
        const int count = DVEncAudioSamples(bytes, row.rate, row.index);
        const std::vector<int16_t> sound = Sound(count, row.channels ? row.channels : 1);
        ASSERT_EQ(DVEncWriteTimecode(frame.data(), bytes, &row.first, row.index), DVENC_FILL_OK);
        ASSERT_EQ(DVEncWriteRecordingDate(frame.data(), bytes, &row.start, row.index),
                  DVENC_FILL_OK);
        ASSERT_EQ(DVEncWriteAudio(frame.data(), bytes, row.channels ? sound.data() : nullptr, count,
                                  row.channels ? row.channels : 2, row.rate, row.index),
                  DVENC_FILL_OK);

        const bool is625 = row.height == 576;
        const int sequences = is625 ? 12 : 10;
        const uint8_t* f = frame.data();
        const std::string aauxDate = std::string("52") + (row.date + 2);
        const std::string aauxTime =
            row.time[0] == 'F' ? row.time : std::string("53") + (row.time + 2);
        for (int s = 0; s < sequences; ++s) {
            SCOPED_TRACE("sequence " + std::to_string(s));
            const bool odd = s % 2 == 1;
            const bool firstHalf = s < sequences / 2;
            const uint8_t* header = FindDifBlock(f, bytes, 0, s, 0);
            EXPECT_EQ(header ? Hex(header + 3) : "", row.header);
            for (int b = 0; b < 2; ++b) {
                const uint8_t* subcode = FindDifBlock(f, bytes, 1, s, b);
                ASSERT_NE(subcode, nullptr);
                EXPECT_EQ(Hex(subcode + 3, 77), SubcodeBlock(b, firstHalf, row)) << "block " << b;
            }
            const uint8_t* vaux = FindDifBlock(f, bytes, 2, s, odd ? 0 : 2);
            const int p = odd ? 0 : 9;
            EXPECT_EQ(VauxPack(vaux, p), row.vauxSource);
            EXPECT_EQ(VauxPack(vaux, p + 1), row.vauxControl);
            EXPECT_EQ(VauxPack(vaux, p + 2), row.date);
            EXPECT_EQ(VauxPack(vaux, p + 3), row.time);
            std::string source = row.aauxSource;
            if (!firstHalf && row.channels != 4) source[7] = '1';
            const int a = odd ? 0 : 3;
            const char* expected[9] = {};
            expected[a] = source.c_str();
            expected[a + 1] = "51 3F CF A0 FF";
            expected[a + 2] = aauxDate.c_str();
            expected[a + 3] = aauxTime.c_str();
            for (int d = 0; d < 9; ++d) {
                const uint8_t* audio = FindDifBlock(f, bytes, 3, s, d);
                ASSERT_NE(audio, nullptr);
                EXPECT_EQ(AauxPack(audio), expected[d] ? expected[d] : "FF FF FF FF FF") << d;
            }
        }
        // Sample 0 of each half opens audio block 0 of the half's first sequence (most
        // significant byte first; a 12-bit pair as both high bytes, then both low nibbles);
        // silence is zero throughout.
        const uint8_t* first = FindDifBlock(f, bytes, 3, 0, 0);
        const uint8_t* second = FindDifBlock(f, bytes, 3, sequences / 2, 0);
        if (row.channels == 4) {
            auto pair = [&](int channel) {
                const unsigned a = encdv::TwelveBitSample(sound[channel]);
                const unsigned b = encdv::TwelveBitSample(sound[channel + 1]);
                return Hex(
                    std::vector<uint8_t>{static_cast<uint8_t>(a >> 4), static_cast<uint8_t>(b >> 4),
                                         static_cast<uint8_t>((a & 15) << 4 | (b & 15))}
                        .data(),
                    3);
            };
            EXPECT_EQ(Hex(first + 8, 3), pair(0));
            EXPECT_EQ(Hex(second + 8, 3), pair(2));
        } else {
            const int expectFirst = row.channels ? static_cast<uint16_t>(sound[0]) : 0;
            const int expectSecond =
                row.channels == 2 ? static_cast<uint16_t>(sound[1]) : expectFirst;
            EXPECT_EQ(first[8] << 8 | first[9], expectFirst);
            EXPECT_EQ(second[8] << 8 | second[9], expectSecond);
        }
        // Nothing else changed: the video blocks, the other VAUX packs, the header's other bytes.
        size_t changedElsewhere = 0;
        for (size_t at = 0; at < frame.size(); at += 80) {
            const int sct = frame[at] >> 5;
            if (sct == 1 || sct == 3) continue;
            for (size_t i = 0; i < 80; ++i) {
                const bool datePack =
                    sct == 2 && i >= 3 && (f[at + 3 + 5 * ((i - 3) / 5)] & 0xFE) == 0x62;
                const bool flag = sct == 0 && (i == 5 || i == 7);
                if (!datePack && !flag && frame[at + i] != library[at + i]) ++changedElsewhere;
            }
        }
        EXPECT_EQ(changedElsewhere, 0u);
    }
}

TEST(FrameFill, RefusesWhatDoesNotExistAndLeavesTheFrameAsItWas) {
    const std::vector<uint8_t> library = LibraryFrame(480, 0);
    const int b525 = DVENC_FRAME_BYTES_525, b625 = DVENC_FRAME_BYTES_625;
    const DVEncTimecode midnight = {0, 0, 0, 0, 0};
    const DVEncRecordingDate day = {2026, 12, 7, 14, 30, 0};
    const std::vector<int16_t> sound = Sound(1602, 2);
    enum Call { kTimecode, kDate, kAudio };
    const struct {
        const char* name;
        Call call;
        int bytes;
        DVEncTimecode timecode;
        DVEncRecordingDate date;
        int count, channels, rate, index;
        int result;
    } cases[] = {
        {"no frame size", kTimecode, 120001, midnight, day, 0, 0, 0, 0, DVENC_FILL_FRAME_SIZE},
        {"negative size", kAudio, -1, midnight, day, 1600, 2, 48000, 0, DVENC_FILL_FRAME_SIZE},
        {"negative index", kDate, b525, midnight, day, 0, 0, 0, -1, DVENC_FILL_FRAME_INDEX},
        {"hour 25", kTimecode, b625, {25, 0, 0, 0, 0}, day, 0, 0, 0, 0, DVENC_FILL_TIMECODE},
        {"hour 24", kTimecode, b625, {24, 0, 0, 0, 0}, day, 0, 0, 0, 0, DVENC_FILL_TIMECODE},
        {"frame 25 at 625/50",
         kTimecode,
         b625,
         {0, 0, 0, 25, 0},
         day,
         0,
         0,
         0,
         0,
         DVENC_FILL_TIMECODE},
        {"frame 30 at 525/60",
         kTimecode,
         b525,
         {0, 0, 0, 30, 0},
         day,
         0,
         0,
         0,
         0,
         DVENC_FILL_TIMECODE},
        {"second 60", kTimecode, b525, {0, 0, 60, 0, 0}, day, 0, 0, 0, 0, DVENC_FILL_TIMECODE},
        {"dropped label", kTimecode, b525, {0, 1, 0, 1, 1}, day, 0, 0, 0, 0, DVENC_FILL_TIMECODE},
        {"drop-frame at 625/50",
         kTimecode,
         b625,
         {0, 10, 0, 0, 1},
         day,
         0,
         0,
         0,
         0,
         DVENC_FILL_TIMECODE},
        {"2026-02-29", kDate, b625, midnight, {2026, 2, 29, -1, 0, 0}, 0, 0, 0, 0, DVENC_FILL_DATE},
        {"2026-04-31", kDate, b625, midnight, {2026, 4, 31, 0, 0, 0}, 0, 0, 0, 0, DVENC_FILL_DATE},
        {"2100-02-29", kDate, b625, midnight, {2100, 2, 29, -1, 0, 0}, 0, 0, 0, 0, DVENC_FILL_DATE},
        {"1974", kDate, b625, midnight, {1974, 12, 31, -1, 0, 0}, 0, 0, 0, 0, DVENC_FILL_DATE},
        {"2075", kDate, b625, midnight, {2075, 1, 1, -1, 0, 0}, 0, 0, 0, 0, DVENC_FILL_DATE},
        {"24:00:00", kDate, b625, midnight, {2026, 1, 1, 24, 0, 0}, 0, 0, 0, 0, DVENC_FILL_DATE},
        {"minute 60", kDate, b625, midnight, {2026, 1, 1, 0, 60, 0}, 0, 0, 0, 0, DVENC_FILL_DATE},
        {"1602 in frame 0", kAudio, b525, midnight, day, 1602, 2, 48000, 0,
         DVENC_FILL_SAMPLE_COUNT},
        {"1600 in frame 1", kAudio, b525, midnight, day, 1600, 2, 48000, 1,
         DVENC_FILL_SAMPLE_COUNT},
        {"1920 at 525/60", kAudio, b525, midnight, day, 1920, 2, 48000, 0, DVENC_FILL_SAMPLE_COUNT},
        {"22050 Hz", kAudio, b525, midnight, day, 1600, 2, 22050, 0, DVENC_FILL_SAMPLE_RATE},
        {"three channels", kAudio, b525, midnight, day, 1600, 3, 48000, 0, DVENC_FILL_CHANNELS},
        {"no channels", kAudio, b525, midnight, day, 1600, 0, 48000, 0, DVENC_FILL_CHANNELS},
        {"four channels at 48 kHz", kAudio, b525, midnight, day, 1600, 4, 48000, 0,
         DVENC_FILL_CHANNELS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> frame = library;
        frame.resize(DVENC_MAX_FRAME_BYTES, 0x5A);
        const std::vector<uint8_t> before = frame;
        for (uint8_t* target : {frame.data(), static_cast<uint8_t*>(nullptr)}) {
            int result = -1;
            switch (c.call) {
                case kTimecode:
                    result = DVEncWriteTimecode(target, c.bytes, &c.timecode, c.index);
                    break;
                case kDate:
                    result = DVEncWriteRecordingDate(target, c.bytes, &c.date, c.index);
                    break;
                case kAudio:
                    result = DVEncWriteAudio(target, c.bytes, sound.data(), c.count, c.channels,
                                             c.rate, c.index);
                    break;
            }
            EXPECT_EQ(result, c.result) << (target ? "frame" : "null frame");
        }
        EXPECT_TRUE(frame == before);
    }
    // Null labels and dates are refused as ones that do not exist, after the frame checks.
    EXPECT_EQ(DVEncWriteTimecode(nullptr, b525, nullptr, 0), DVENC_FILL_TIMECODE);
    EXPECT_EQ(DVEncWriteRecordingDate(nullptr, b525, nullptr, 0), DVENC_FILL_DATE);
    EXPECT_EQ(DVEncWriteRecordingDate(nullptr, 7, nullptr, 0), DVENC_FILL_FRAME_SIZE);
    // What exists is taken: a leap day of a year divisible by 400, the last label of a day.
    const DVEncRecordingDate leap = {2000, 2, 29, -1, 0, 0};
    const DVEncTimecode last = {23, 59, 59, 29, 1};
    EXPECT_EQ(DVEncWriteRecordingDate(nullptr, b525, &leap, 0), DVENC_FILL_OK);
    EXPECT_EQ(DVEncWriteTimecode(nullptr, b525, &last, 0), DVENC_FILL_OK);
}

TEST(FrameFill, AudioShufflePlacesEverySampleOnceAsTheStandardLaysItOut) {
    // 16-bit samples take 2 bytes, 12-bit pairs 3: 36 or 24 places in each of 9 blocks.
    for (const int placeBytes : {2, 3}) {
        for (const bool is625 : {false, true}) {
            const int capacity = (is625 ? 6 : 5) * 9 * (72 / placeBytes);
            std::set<std::vector<int>> used;
            for (int n = 0; n < capacity; ++n) {
                const encdv::AudioSamplePlace p = encdv::PlaceOfAudioSample(is625, n, placeBytes);
                ASSERT_GE(p.sequence, 0);
                ASSERT_LT(p.sequence, is625 ? 6 : 5);
                ASSERT_GE(p.block, 0);
                ASSERT_LT(p.block, 9);
                ASSERT_GE(p.byte, 8);
                ASSERT_LE(p.byte + placeBytes, 80);
                ASSERT_EQ((p.byte - 8) % placeBytes, 0);
                EXPECT_TRUE(used.insert({p.sequence, p.block, p.byte}).second) << "sample " << n;
                // A lost block costs isolated samples: neighbours never share a block.
                if (n > 0) {
                    const encdv::AudioSamplePlace q =
                        encdv::PlaceOfAudioSample(is625, n - 1, placeBytes);
                    EXPECT_FALSE(p.sequence == q.sequence && p.block == q.block) << n;
                }
            }
            EXPECT_EQ(used.size(), static_cast<size_t>(capacity));
        }
    }
    // The first samples of 525/60 (IEC 61834-2): 0 in sequence 0 block 0, 1 in sequence 2
    // block 3, 2 in sequence 4 block 6, 3 in sequence 1 block 0, 15 in sequence 0 block 1.
    const int expected[][4] = {{0, 0, 0, 8}, {1, 2, 3, 8},  {2, 4, 6, 8},
                               {3, 1, 0, 8}, {15, 0, 1, 8}, {45, 0, 0, 10}};
    for (const auto& e : expected) {
        const encdv::AudioSamplePlace p = encdv::PlaceOfAudioSample(false, e[0], 2);
        EXPECT_EQ(p.sequence * 10000 + p.block * 100 + p.byte, e[1] * 10000 + e[2] * 100 + e[3])
            << "sample " << e[0];
    }
}

// The 12-bit code against the level each code stands for (linear to 511, then segments of
// 256 codes with steps of 2 to 64; negative codes mirror the positive ones): every 16-bit
// value takes the level at or below its magnitude, and none takes 800h, the lost-sample mark.
TEST(FrameFill, TwelveBitSamplesTakeTheNearestLevelTowardsZero) {
    auto level = [](unsigned code) {  // the value a 12-bit code stands for
        const bool negative = code & 0x800;
        const int c = negative ? static_cast<int>(~code & 0x7FF) : static_cast<int>(code);
        const int segment = c < 512 ? 0 : c / 256 - 1;
        const int magnitude = (c - 256 * segment) << segment;
        return negative ? ~magnitude : magnitude;
    };
    for (int x = -32768; x <= 32767; ++x) {
        const unsigned code = encdv::TwelveBitSample(static_cast<int16_t>(x));
        ASSERT_LT(code, 0x1000u) << x;
        ASSERT_NE(code, 0x800u) << x;
        const int at = level(code);
        if (x >= 0) {
            ASSERT_LE(at, x) << x;
            ASSERT_TRUE(code == 0x7FF || level(code + 1) > x) << x;
        } else if (code != 0x801) {
            ASSERT_GE(at, x) << x;
            ASSERT_LT(level(code - 1), x) << x;
        } else {
            ASSERT_LE(x, level(0x801)) << x;  // the loudest negative values
        }
    }
    const struct {
        int sample;
        unsigned code;
    } rows[] = {{511, 0x1FF},  {512, 0x200},   {513, 0x200},   {514, 0x201},
                {1024, 0x300}, {16384, 0x700}, {32767, 0x7FF}, {-1, 0xFFF},
                {-512, 0xE00}, {-513, 0xDFF},  {-32768, 0x801}};
    for (const auto& r : rows) {
        EXPECT_EQ(encdv::TwelveBitSample(static_cast<int16_t>(r.sample)), r.code) << r.sample;
    }
}

}  // namespace

namespace {

// A date written into a frame reads back as it was, in every system and header form; a
// frame without one, or with its date packs broken, has none; a camcorder's packs (two-digit
// year 99, a time with its flag bits set) read as the pack says.
TEST(FrameFill, RecordingDateReadsBackFromTheVauxPacks) {
    const struct {
        int height;
        unsigned flags;
    } systems[] = {{576, 0}, {480, 0}, {576, DVENC_FLAG_SMPTE314M | DVENC_FLAG_NO_HEADER_BLOCK}};
    const DVEncRecordingDate dates[] = {
        {2026, 12, 8, 14, 30, 59}, {1999, 2, 28, -1, 0, 0}, {2074, 12, 31, 23, 59, 59}};
    for (const auto& system : systems) {
        for (const DVEncRecordingDate& date : dates) {
            std::vector<uint8_t> frame = LibraryFrame(system.height, system.flags);
            const int bytes = static_cast<int>(frame.size());
            DVEncRecordingDate read = {1, 2, 3, 4, 5, 6};
            EXPECT_EQ(DVEncReadRecordingDate(frame.data(), bytes, &read), DVENC_FILL_DATE);
            EXPECT_EQ(read.year, 1);
            ASSERT_EQ(DVEncWriteRecordingDate(frame.data(), bytes, &date, 0), DVENC_FILL_OK);
            ASSERT_EQ(DVEncReadRecordingDate(frame.data(), bytes, &read), DVENC_FILL_OK);
            EXPECT_EQ(read.year, date.year);
            EXPECT_EQ(read.month, date.month);
            EXPECT_EQ(read.day, date.day);
            EXPECT_EQ(read.hour, date.hour);
            if (date.hour >= 0) {
                EXPECT_EQ(read.minute, date.minute);
                EXPECT_EQ(read.second, date.second);
            }
        }
    }
    std::vector<uint8_t> frame = LibraryFrame(576, 0);
    // A camcorder's packs in the first sequence's VAUX: 1999-07-04 08:15:42.
    const uint8_t datePack[5] = {0x62, 0xE5, 0xC4, 0xE7, 0x99};
    const uint8_t timePack[5] = {0x63, 0xC5, 0xC2, 0x95, 0xC8};
    uint8_t* vaux = frame.data() + 3 * 80 + 3;  // sequence 0, first VAUX block, pack 0
    std::memcpy(vaux + 5 * 3, datePack, 5);
    std::memcpy(vaux + 5 * 4, timePack, 5);
    DVEncRecordingDate read{};
    ASSERT_EQ(DVEncReadRecordingDate(frame.data(), DVENC_FRAME_BYTES_625, &read), DVENC_FILL_OK);
    EXPECT_EQ(read.year, 1999);
    EXPECT_EQ(read.month, 7);
    EXPECT_EQ(read.day, 4);
    EXPECT_EQ(read.hour, 8);
    EXPECT_EQ(read.minute, 15);
    EXPECT_EQ(read.second, 42);
    vaux[5 * 3 + 3] = 0xF3;  // month 13: no such date
    EXPECT_EQ(DVEncReadRecordingDate(frame.data(), DVENC_FRAME_BYTES_625, &read), DVENC_FILL_DATE);
    EXPECT_EQ(DVEncReadRecordingDate(frame.data(), 1000, &read), DVENC_FILL_FRAME_SIZE);
    EXPECT_EQ(DVEncReadRecordingDate(nullptr, DVENC_FRAME_BYTES_625, &read), DVENC_FILL_FRAME_SIZE);
}

}  // namespace
