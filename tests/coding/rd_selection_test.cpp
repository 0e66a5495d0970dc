#include "coding/block_bits.h"
#include "coding/rd_selection.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "coding/quant_selection.h"
#include "coding/quant_tables.h"
#include "coding/rd_block.h"
#include "coding/segment_coder.h"

namespace encdv {
namespace {

constexpr uint32_t kSeed = 0x5eed2d02;
constexpr int32_t kSegmentAcBits = 2680;

// A segment of transformed blocks whose AC magnitudes fall off with the scan position at a
// rate that sets how hard the segment is to fit: 0 all zero, then from sparse to noise.
void FillSegment(std::mt19937& rng, int hardness, SegmentWork& segment, FineMagnitudes& fine) {
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        BlockWork& block =
            segment.macroblocks[j / kBlocksPerMacroblock].blocks[j % kBlocksPerMacroblock];
        block.dc = static_cast<int32_t>(rng() % 511) - 256;
        block.dctMode = static_cast<int32_t>(rng() % 2);
        block.coefficients[0] = 0;
        fine.blocks[j][0] = 0;
        for (int k = 1; k < 64; ++k) {
            const uint32_t scale = hardness == 0 ? 0 : (160u * hardness * hardness) / (k + 3);
            const uint32_t m = scale == 0 ? 0 : rng() % (scale + 1);
            fine.blocks[j][k] = static_cast<uint16_t>(m > 2047 ? 2047 : m);
            block.coefficients[k] = rng() % 2 ? kSignBit : 0;
        }
    }
}

// A segment and the search's scratch and state (static in the tests: the scratch is large).
struct Search {
    SegmentWork segment;
    RdSegmentWork work;
    FineMagnitudes fine;
    RdSearchState state;

    void Reset() {
        for (MacroblockWork& mb : segment.macroblocks) PrepareMacroblockWork(mb);
        fine = FineMagnitudes{};
        ResetRdSearch(state);
    }
    void Select() { SelectQuantizationRd(segment.macroblocks, fine, work, state); }
};

int AreaOf(int k) {
    int a = 0;
    while (k >= kAreaStart[a + 1]) ++a;
    return a;
}

// Whatever the content, the chosen codes fit the segment's AC room exactly as counted, no
// amplitude exceeds its magnitude rounded at the chosen step, and a segment with more than
// its room is filled to within a few codes.
TEST(RdSelection, FitsTheSegmentWithExactCountsAndRoundedAmplitudes) {
    std::mt19937 rng(kSeed);
    static Search search;
    search.Reset();
    SegmentWork& segment = search.segment;
    FineMagnitudes& fine = search.fine;
    for (int trial = 0; trial < 60; ++trial) {
        const int hardness = trial % 10;
        FillSegment(rng, hardness, segment, fine);
        search.Select();
        int32_t total = 0;
        bool droppedAny = false;
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            MacroblockWork& mb = segment.macroblocks[j / 6];
            const BlockWork& block = mb.blocks[j % 6];
            ASSERT_GE(mb.qno, 0);
            ASSERT_LE(mb.qno, 15);
            ASSERT_GE(block.classNumber, 0);
            ASSERT_LE(block.classNumber, 3);
            const int pattern = QuantPatternIndex[block.classNumber][mb.qno];
            for (int k = 1; k < 64; ++k) {
                const uint32_t a = block.coefficients[k] & 0xFF;
                const uint32_t rounded =
                    RoundedAmplitude(fine.blocks[j][k], QuantPattern[pattern][AreaOf(k)]);
                // Rounded to the nearest step, or lowered (to zero at most) where that pays.
                EXPECT_LE(a, rounded) << "trial " << trial << " block " << j << " position " << k;
                droppedAny = droppedAny || (a == 0 && rounded > 1);
            }
            uint8_t list[64];
            BuildNonzeroList(block.coefficients, list);
            EXPECT_EQ(block.codeBits, CountBlockBits(block.coefficients, list))
                << "trial " << trial << " block " << j;
            total += block.codeBits;
        }
        EXPECT_LE(total, kSegmentAcBits) << "trial " << trial;
        if (hardness >= 3) {
            EXPECT_GE(total, kSegmentAcBits - 48) << "trial " << trial;
        }
        // Rounding gives way to dropping only where no choice of steps fits.
        if (hardness < 3) {
            EXPECT_FALSE(droppedAny) << "trial " << trial;
        }
    }
}

// A block worked out under both DCT modes takes the one that codes it better: the other mode
// where its coefficients are clearly smaller (its magnitudes, signs and mode then replace the
// block's), its own where they are clearly larger; a block without the other keeps its own.
TEST(RdSelection, TakesTheDctModeThatCodesTheBlockBetter) {
    enum Other { kNone, kSmaller, kLarger };
    std::mt19937 rng(kSeed + 1);
    static Search search;
    search.Reset();
    SegmentWork& segment = search.segment;
    FineMagnitudes& fine = search.fine;
    for (int trial = 0; trial < 8; ++trial) {
        FillSegment(rng, 4 + trial % 4, segment, fine);
        int mode[kBlocksPerSegment];
        Other kind[kBlocksPerSegment];
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            mode[j] = segment.macroblocks[j / 6].blocks[j % 6].dctMode;
            kind[j] = static_cast<Other>((j + trial) % 3);
            fine.otherValid[j] = kind[j] != kNone;
            fine.otherSigns[j] = (uint64_t{rng()} << 32 | rng()) & ~uint64_t{1};
            for (int k = 0; k < 64; ++k) {
                const uint16_t m = fine.blocks[j][k];
                fine.other[j][k] = kind[j] == kSmaller  ? static_cast<uint16_t>(m / 8)
                                   : kind[j] == kLarger ? static_cast<uint16_t>(m * 2 + 64)
                                                        : m;
            }
        }
        search.Select();
        for (int j = 0; j < kBlocksPerSegment; ++j) {
            const BlockWork& block = segment.macroblocks[j / 6].blocks[j % 6];
            if (kind[j] != kSmaller) {
                EXPECT_EQ(block.dctMode, mode[j]) << trial << " " << j << " " << kind[j];
                continue;
            }
            EXPECT_EQ(block.dctMode, 1 - mode[j]) << trial << " " << j;
            for (int k = 1; k < 64; ++k) {
                EXPECT_EQ(fine.blocks[j][k], fine.other[j][k]) << trial << " " << j << " " << k;
                EXPECT_EQ((block.coefficients[k] & kSignBit) != 0,
                          ((fine.otherSigns[j] >> k) & 1) != 0)
                    << trial << " " << j << " " << k;
            }
        }
    }
}

}  // namespace
}  // namespace encdv
