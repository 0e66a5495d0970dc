#ifndef ENC_DV_CODING_SEGMENT_CODER_H
#define ENC_DV_CODING_SEGMENT_CODER_H

#include <cstdint>

#include "common/constants.h"
#include "common/macroblock_work.h"

namespace encdv {

// Bytes 4-79 of a video DIF block: the six block areas of its macroblock.
constexpr int kVideoDataBytes = 76;

// Blocks of a segment, in macroblock order.
constexpr int kBlocksPerSegment = kMacroblocksPerSegment * kBlocksPerMacroblock;

// Bits of each block's area inside the 76 data bytes (IEC 61834-2): four 14-byte luminance
// areas, then two 10-byte colour-difference areas, one after the other.
constexpr int32_t kBlockAreaBits[kBlocksPerMacroblock] = {112, 112, 112, 112, 80, 80};

// AC bits of a whole segment: its five DIF blocks' areas less the 30 block headers.
constexpr int32_t kSegmentAcBits =
    kMacroblocksPerSegment *
    (4 * kBlockAreaBits[0] + 2 * kBlockAreaBits[4] - kBlocksPerMacroblock * kBlockHeaderBits);
static_assert(kSegmentAcBits == 2680, "four 100-bit and two 68-bit AC spaces per DIF block");

// A thread's segment work area: five macroblock records, in macroblock order.
struct SegmentWork {
    MacroblockWork macroblocks[kMacroblocksPerSegment];
};

// The coded segment, without DIF block IDs: for each of its five video DIF blocks, in
// macroblock order, the STA/QNO byte (byte 3) and the 76 data bytes (bytes 4-79).
struct SegmentData {
    uint8_t staQno[kMacroblocksPerSegment];
    // The data of the five blocks, one after the other, then room for the coder's last
    // 16-byte store; those 16 bytes hold nothing.
    alignas(16) uint8_t data[kMacroblocksPerSegment * kVideoDataBytes + 16];
};

// Codes the quantized segment into coded. Writes the block codes it has to code itself into
// the records' stores (marking nothing); reads every other field of the records.
void CodeSegment(SegmentWork& segment, SegmentData& coded);

}  // namespace encdv

#endif
