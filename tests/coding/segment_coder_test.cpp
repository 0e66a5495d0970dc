#include "coding/segment_coder.h"
#include "coding/block_bits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "coding/block_coder.h"
#include "coding/quant_selection.h"
#include "driver/dif_id.h"
#include "support/dv_video_parser.h"

namespace encdv {
namespace {

constexpr int kGuardBytes = 256;
constexpr uint8_t kGuard = 0xA5;
constexpr int kAreaBytes[6] = {14, 14, 14, 14, 10, 10};
constexpr int kAreaStart[6] = {4, 18, 32, 46, 60, 70};  // within a DIF block

// The coder's output with guard bytes on both sides.
struct GuardedData {
    uint8_t before[kGuardBytes];
    SegmentData coded;
    uint8_t after[kGuardBytes];
};

// Five macroblocks of empty blocks (DC 0, 8-8, class 0) ready to code, the coder's output
// with guard bytes around it, and the five DIF blocks laid out from it with their IDs.
struct Segment {
    SegmentWork work{};
    DifIdRecord ids[5]{};
    GuardedData guarded;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(400);

    Segment() {
        for (int k = 0; k < 5; ++k) {
            MacroblockWork& mb = work.macroblocks[k];
            PrepareMacroblockWork(mb);
            std::memset(mb.coefficientStore, 0, 6 * 64 * sizeof(CoefficientWord));
            for (int b = 0; b < 6; ++b) {
                mb.blocks[b].dc = 0;
                mb.blocks[b].dctMode = 0;
                mb.blocks[b].classNumber = 0;
                mb.nonzeroList[b][0] = 0;
            }
            mb.qno = 0;
            mb.sta = 0;
            ids[k] = DifIdRecord{k + 3, 1, 4, 7, 1, k + 5, 6 * k + 2};
        }
    }
    CoefficientWord* Words(int k, int b) { return work.macroblocks[k].blocks[b].coefficients; }
    void Set(int k, int b, int position, int value) {
        Words(k, b)[position] = static_cast<CoefficientWord>(value < 0 ? kSignBit | -value : value);
    }
    void BuildLists() {
        for (int k = 0; k < 5; ++k) {
            for (int b = 0; b < 6; ++b) {
                uint8_t* list = work.macroblocks[k].nonzeroList[b];
                int n = 0;
                for (int q = 1; q < 64; ++q)
                    if (Words(k, b)[q] & 0xFF) list[n++] = static_cast<uint8_t>(q);
                list[n] = 0;
            }
        }
    }
    // Codes the segment, checks that nothing outside its data was written and lays the
    // five DIF blocks out as the sequence loop does: ID, STA/QNO byte, 76 data bytes.
    void Code() {
        std::memset(&guarded, kGuard, sizeof guarded);
        CodeSegment(work, guarded.coded);
        for (int i = 0; i < kGuardBytes; ++i) {
            ASSERT_EQ(guarded.before[i], kGuard) << "byte before the segment data written";
            ASSERT_EQ(guarded.after[i], kGuard) << "byte after the segment data written";
        }
        for (int k = 0; k < 5; ++k) {
            uint8_t* block = Output() + 80 * k;
            PackDifId(ids[k], block);
            block[3] = guarded.coded.staQno[k];
            std::memcpy(block + 4, guarded.coded.data + kVideoDataBytes * k, kVideoDataBytes);
        }
    }
    uint8_t* Output() { return buffer.data(); }
    std::vector<uint8_t> Area(int k, int b) {
        const uint8_t* start = Output() + 80 * k + kAreaStart[b];
        return std::vector<uint8_t>(start, start + kAreaBytes[b]);
    }
    test::ParsedSegment Parse() {
        test::ParsedSegment parsed;
        std::string error;
        EXPECT_TRUE(test::ParseVideoSegment(Output(), parsed, &error)) << error;
        return parsed;
    }
    // Signed value of a coefficient as the stream carries it (sign and low 8 bits).
    int Value(int k, int b, int q) {
        const CoefficientWord w = Words(k, b)[q];
        return (w & kSignBit) ? -(w & 0xFF) : (w & 0xFF);
    }
};

// Gives block (k, b) `count` escape-coded coefficients (16 bits each) from position 1 on.
void AddEscapes(Segment& s, int k, int b, int count, int amplitude = 100) {
    for (int q = 1; q <= count; ++q) s.Set(k, b, q, (q & 1) ? amplitude : -amplitude);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> leading, size_t size) {
    std::vector<uint8_t> bytes(leading.begin(), leading.end());
    bytes.resize(size, 0);
    return bytes;
}

TEST(CodeSegment, WritesIdsStatusAndSelfContainedAreas) {
    Segment s;
    s.Set(0, 0, 1, 1);
    s.work.macroblocks[0].blocks[0].classNumber = 2;
    s.work.macroblocks[0].blocks[1] = {-256, 1, 3, 0, 0, 0, s.Words(0, 1)};
    s.Set(0, 1, 3, -5);
    s.Set(0, 1, 30, 200);
    s.work.macroblocks[2].blocks[4].dc = -1;
    s.work.macroblocks[3].qno = 11;
    s.work.macroblocks[4].qno = 31;  // only the low 4 bits are stored
    s.BuildLists();
    s.Code();

    EXPECT_EQ(s.Area(0, 0), Bytes({0x00, 0x20, 0xC0}, 14));
    EXPECT_EQ(s.Area(0, 1), Bytes({0x80, 0x7F, 0x4F, 0xF3, 0x3F, 0xF2, 0x0C}, 14));
    // An empty block ends on a byte boundary: 16 bits, then zeros.
    EXPECT_EQ(s.Area(0, 5), Bytes({0x00, 0x06}, 10));
    EXPECT_EQ(s.Area(2, 4), Bytes({0xFF, 0x86}, 10));
    for (int k = 0; k < 5; ++k) {
        const uint8_t* block = s.Output() + 80 * k;
        // ID0: SCT 4, reserved bit 1, Arb; ID1: Dseq, FSC 1, reserved bits 7; ID2: DBN.
        EXPECT_EQ(block[0], 0x80 | 0x10 | (k + 3));
        EXPECT_EQ(block[1], ((k + 5) << 4) | 0x08 | 0x07);
        EXPECT_EQ(block[2], 6 * k + 2);
    }
    EXPECT_EQ(s.Output()[3], 0x00);
    EXPECT_EQ(s.Output()[80 * 3 + 3], 11);
    EXPECT_EQ(s.Output()[80 * 4 + 3], 15);
}

// Code lengths exactly equal to the area (112 and 80 bits) fill it with no free bit; a
// neighbour's overflow then skips it.
TEST(CodeSegment, BlockOfExactlyItsAreaIsFullAndSkipped) {
    Segment s;
    AddEscapes(s, 0, 0, 6);   // 12 + 96 + 4 = 112 bits
    AddEscapes(s, 0, 4, 4);   // 12 + 64 + 4 = 80 bits
    AddEscapes(s, 0, 3, 10);  // overflows by 64 bits
    s.BuildLists();
    s.Code();
    const test::ParsedSegment parsed = s.Parse();
    EXPECT_EQ(parsed.incompleteBlocks, 0);
    EXPECT_TRUE(parsed.unusedBitsZero);
    EXPECT_EQ(parsed.unusedBits, 3040 - 112 - 80 - 176 - 27 * 16);
    // Areas 0 and 4 hold only their own code: 1, then alternating +100 / -100 escapes.
    const std::vector<uint8_t> area0 = s.Area(0, 0);
    const std::vector<uint8_t> area4 = s.Area(0, 4);
    EXPECT_EQ(area0.back() & 0x0F, 0x06);  // the end-of-block closes the area
    EXPECT_EQ(area4.back() & 0x0F, 0x06);
    // Block 3's overflow went to block 1, the first block with room.
    EXPECT_NE(s.Area(0, 1), Bytes({0x00, 0x06}, 14));
    EXPECT_EQ(s.Area(0, 2), Bytes({0x00, 0x06}, 14));
    for (int b : {0, 3, 4})
        for (int q = 1; q < 64; ++q)
            EXPECT_EQ(parsed.blocks[0][b].coefficients[q], s.Value(0, b, q));
}

// Overflow stays in its macroblock's DIF block while that block has room (pass 2), and
// reaches other DIF blocks only when it has none (pass 3).
TEST(CodeSegment, OverflowFillsOwnDifBlockBeforeOthers) {
    {
        Segment s;
        AddEscapes(s, 0, 0, 20);  // 336 bits, 224 past the area
        s.BuildLists();
        s.Code();
        for (int k = 1; k < 5; ++k)
            for (int b = 0; b < 6; ++b)
                EXPECT_EQ(s.Area(k, b), Bytes({0x00, 0x06}, kAreaBytes[b])) << k << " " << b;
        // 96 free bits in each of blocks 1 and 2, the remaining 32 in block 3.
        EXPECT_EQ(s.Area(0, 4), Bytes({0x00, 0x06}, 10));
        EXPECT_NE(s.Area(0, 3), Bytes({0x00, 0x06}, 14));
        const test::ParsedSegment parsed = s.Parse();
        EXPECT_EQ(parsed.incompleteBlocks, 0);
        for (int q = 1; q < 64; ++q)
            EXPECT_EQ(parsed.blocks[0][0].coefficients[q], s.Value(0, 0, q));
    }
    {
        // Macroblock 0 has no room at all; macroblock 1's block 0 overflows by 32 bits.
        Segment s;
        for (int b = 0; b < 6; ++b) AddEscapes(s, 0, b, 12);  // 208 bits each
        AddEscapes(s, 1, 0, 8);                               // 144 bits
        s.BuildLists();
        s.Code();
        const test::ParsedSegment parsed = s.Parse();
        EXPECT_EQ(parsed.incompleteBlocks, 0);
        EXPECT_TRUE(parsed.unusedBitsZero);
        for (int k = 0; k < 2; ++k)
            for (int b = 0; b < 6; ++b)
                for (int q = 1; q < 64; ++q)
                    EXPECT_EQ(parsed.blocks[k][b].coefficients[q], s.Value(k, b, q));

        // Block 0 of macroblock 1 keeps its own DIF block: its last 32 bits follow block 1's
        // 16 bits there, ahead of macroblock 0's overflow.
        std::vector<uint8_t> alone(kBlockCodeBytes);
        ASSERT_EQ(CodeBlockToStore(s.work.macroblocks[1].blocks[0],
                                   s.work.macroblocks[1].nonzeroList[0], alone.data()),
                  144);
        const std::vector<uint8_t> area = s.Area(1, 1);
        EXPECT_EQ(std::vector<uint8_t>(area.begin() + 2, area.begin() + 6),
                  std::vector<uint8_t>(alone.begin() + 14, alone.begin() + 18));
        // Macroblock 0's 640 overflow bits fill the rest of macroblock 1 (384 bits) and run
        // 256 bits into macroblock 2 (blocks 0 and 1 and 64 bits of block 2).
        for (int b = 1; b < 6; ++b) EXPECT_NE(s.Area(1, b).back(), 0) << "block " << b;
        EXPECT_NE(s.Area(2, 2)[9], 0);
        EXPECT_EQ(s.Area(2, 2)[10], 0);
        EXPECT_EQ(s.Area(2, 3), Bytes({0x00, 0x06}, 14));
    }
}

// A segment whose codes exceed its 3040 area bits keeps every byte inside its 400 and
// drops the excess of the blocks last in the overflow order; what was placed is valid.
TEST(CodeSegment, ExcessOfAFullSegmentIsDroppedInsideItsBlocks) {
    Segment s;
    for (int k = 0; k < 5; ++k)
        for (int b = 0; b < 6; ++b) AddEscapes(s, k, b, 63, 255 - k - b);
    s.BuildLists();
    s.Code();
    const test::ParsedSegment parsed = s.Parse();
    EXPECT_EQ(parsed.unusedBits, 0);
    EXPECT_GT(parsed.incompleteBlocks, 0);
    for (int k = 0; k < 5; ++k) {
        for (int b = 0; b < 6; ++b) {
            const test::ParsedBlock& block = parsed.blocks[k][b];
            for (int q = 1; q < 64; ++q) {
                if (block.complete || block.coefficients[q] != 0) {
                    EXPECT_EQ(block.coefficients[q], s.Value(k, b, q)) << k << b << q;
                }
            }
        }
    }
}

// Which blocks end up cut short, from the code lengths alone: overflow is poured into
// room in list order, first within each macroblock, then across the segment.
std::vector<bool> PredictIncomplete(const int (&bits)[5][6]) {
    struct Entry {
        int block;
        int count;
    };
    std::vector<Entry> segmentOverflow, segmentRoom;
    auto pour = [](std::vector<Entry>& overflow, std::vector<Entry>& room) {
        size_t o = 0, r = 0;
        while (o < overflow.size() && r < room.size()) {
            const int n = std::min(overflow[o].count, room[r].count);
            overflow[o].count -= n;
            room[r].count -= n;
            if (overflow[o].count == 0) ++o;
            if (room[r].count == 0) ++r;
        }
        overflow.erase(overflow.begin(), overflow.begin() + o);
        room.erase(room.begin(), room.begin() + r);
    };
    for (int k = 0; k < 5; ++k) {
        std::vector<Entry> overflow, room;
        for (int b = 0; b < 6; ++b) {
            const int excess = bits[k][b] - 8 * kAreaBytes[b];
            if (excess > 0) overflow.push_back({6 * k + b, excess});
            if (excess < 0) room.push_back({6 * k + b, -excess});
        }
        pour(overflow, room);
        segmentOverflow.insert(segmentOverflow.end(), overflow.begin(), overflow.end());
        segmentRoom.insert(segmentRoom.end(), room.begin(), room.end());
    }
    pour(segmentOverflow, segmentRoom);
    std::vector<bool> incomplete(30, false);
    for (const Entry& e : segmentOverflow) incomplete[e.block] = true;
    return incomplete;
}

// Random segments from sparse to dense: every header and, when the codes fit the
// segment's area bits, every coefficient reads back; the free bits left are zero.
TEST(CodeSegment, RandomSegmentsReadBackThroughAnIndependentReader) {
    const unsigned seed = 7011;
    std::printf("CodeSegment random seed %u\n", seed);
    std::mt19937 random(seed);
    int fitted = 0;
    int overfull = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        auto s = std::make_unique<Segment>();
        int totalBits = 0;
        int bits[5][6];
        const unsigned density = random() % 24;
        for (int k = 0; k < 5; ++k) {
            s->work.macroblocks[k].qno = random() % 16;
            for (int b = 0; b < 6; ++b) {
                BlockWork& block = s->work.macroblocks[k].blocks[b];
                block.dc = static_cast<int>(random() % 511) - 256;
                block.dctMode = random() & 1;
                block.classNumber = random() & 3;
                const unsigned blockDensity = random() % (density + 1);
                const unsigned maxAmplitude = 1u << (random() % 9);
                for (int q = 1; q < 64; ++q) {
                    if (random() % 64 >= blockDensity) continue;
                    uint16_t word = static_cast<uint16_t>(random() % maxAmplitude);
                    if (random() & 1) word |= kSignBit | ((random() & 0x7F) << 8);
                    s->Words(k, b)[q] = word;
                }
            }
        }
        s->BuildLists();
        for (int k = 0; k < 5; ++k)
            for (int b = 0; b < 6; ++b)
                totalBits += bits[k][b] =
                    12 + CountBlockBits(s->Words(k, b), s->work.macroblocks[k].nonzeroList[b]);
        SCOPED_TRACE(trial);
        s->Code();
        if (HasFatalFailure()) return;
        const test::ParsedSegment parsed = s->Parse();
        const bool fits = totalBits <= 3040;
        (fits ? fitted : overfull)++;
        EXPECT_EQ(parsed.incompleteBlocks == 0, fits);
        EXPECT_EQ(parsed.unusedBits, fits ? 3040 - totalBits : 0);
        EXPECT_TRUE(parsed.unusedBitsZero);
        const std::vector<bool> incomplete = PredictIncomplete(bits);
        for (int k = 0; k < 5; ++k) {
            for (int b = 0; b < 6; ++b)
                EXPECT_EQ(parsed.blocks[k][b].complete, !incomplete[6 * k + b]) << k << " " << b;
            EXPECT_EQ(parsed.qno[k], s->work.macroblocks[k].qno);
            EXPECT_EQ(parsed.sta[k], 0);
            for (int b = 0; b < 6; ++b) {
                const BlockWork& block = s->work.macroblocks[k].blocks[b];
                const test::ParsedBlock& read = parsed.blocks[k][b];
                EXPECT_EQ(read.dc, block.dc);
                EXPECT_EQ(read.dctMode, block.dctMode);
                EXPECT_EQ(read.classNumber, block.classNumber);
                if (!read.complete) continue;
                for (int q = 1; q < 64; ++q)
                    ASSERT_EQ(read.coefficients[q], s->Value(k, b, q)) << k << " " << b << " " << q;
            }
        }
    }
    // Both outcomes must have been exercised.
    EXPECT_GT(fitted, 100);
    EXPECT_GT(overfull, 100);
}

}  // namespace
}  // namespace encdv
