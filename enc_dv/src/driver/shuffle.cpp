// Macroblock shuffling of IEC 61834-2 (and of SMPTE 314M for 4:1:1 at 625/50): for every
// video DIF block, the picture position of the macroblock it carries. The three tables are
// computed from the rule at compile time and live in read-only storage.
#include "driver/shuffle.h"

#include "common/constants.h"
#include "common/video_mode.h"

namespace encdv {
namespace {

constexpr int kSegmentsPerSequence = 27;

// Superblock row offset (added to the sequence number) and superblock column of
// macroblock m of a video segment.
constexpr int kSuperblockRowOffset[kMacroblocksPerSegment] = {2, 6, 8, 0, 4};
constexpr int kSuperblockColumn[kMacroblocksPerSegment] = {2, 1, 3, 0, 4};

// 4:2:0: macroblock row within a superblock, for k mod 6 (down one column, up the next).
constexpr int kRow420[6] = {0, 1, 2, 2, 1, 0};

// 4:1:1: the 32-pixel column where superblock column 2, 1, 3, 0, 4 starts, and the
// macroblock row within a superblock for k' mod 12.
constexpr int kFirstColumn411[kMacroblocksPerSegment] = {9, 4, 13, 0, 18};
constexpr int kRow411[12] = {0, 1, 2, 3, 4, 5, 5, 4, 3, 2, 1, 0};
constexpr int kLastColumn411 = 22;  // x = 704: the rightmost 16 pixels, 16x16 macroblocks

template <int kSequences>
struct ShuffleTable {
    int32_t entries[kSequences * kVideoBlocksPerSequence * 2];
};

template <int kSequences>
constexpr ShuffleTable<kSequences> BuildShuffleTable(bool sampling411) {
    ShuffleTable<kSequences> table{};
    for (int s = 0; s < kSequences; ++s) {
        for (int k = 0; k < kSegmentsPerSequence; ++k) {
            for (int m = 0; m < kMacroblocksPerSegment; ++m) {
                const int i = (s + kSuperblockRowOffset[m]) % kSequences;
                int x = 0;
                int y = 0;
                if (sampling411) {
                    // Superblock columns 1 and 2 start halfway down a 32-pixel column
                    // that their left neighbour began.
                    const int kk = (m == 1 || m == 2) ? k + 3 : k;
                    const int q = kFirstColumn411[m] + kk / 6;
                    const int r = kRow411[kk % 12];
                    x = 32 * q;
                    y = q < kLastColumn411 ? 8 * (6 * i + r) : 16 * r + 48 * i;
                } else {
                    x = 16 * (9 * kSuperblockColumn[m] + k / 3);
                    y = 16 * (3 * i + kRow420[k % 6]);
                }
                const int entry = s * kVideoBlocksPerSequence + k * kMacroblocksPerSegment + m;
                table.entries[2 * entry] = x;
                table.entries[2 * entry + 1] = y;
            }
        }
    }
    return table;
}

constexpr ShuffleTable<12> kShuffle625With420 = BuildShuffleTable<12>(false);
constexpr ShuffleTable<12> kShuffle625With411 = BuildShuffleTable<12>(true);
constexpr ShuffleTable<10> kShuffle525With411 = BuildShuffleTable<10>(true);

}  // namespace

const int32_t* GetShuffleTable(int mode) {
    switch (mode) {
        case MODE_625_420:
            return kShuffle625With420.entries;
        case MODE_625_411:
            return kShuffle625With411.entries;
        case MODE_525_411:
            return kShuffle525With411.entries;
        default:
            return nullptr;
    }
}

}  // namespace encdv
