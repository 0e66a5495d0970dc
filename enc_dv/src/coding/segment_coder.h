#ifndef ENC_DV_CODING_SEGMENT_CODER_H
#define ENC_DV_CODING_SEGMENT_CODER_H

#include <cstdint>

#include "coding/quant_selection.h"
#include "driver/dif_id.h"
#include "transform/macroblock_work.h"

namespace encdv {

// A thread's segment work area: five macroblock records followed by the pointers to the
// ID records of their DIF blocks, in macroblock order.
struct SegmentWork {
    MacroblockWork macroblocks[kMacroblocksPerSegment];
    DifIdRecord* ids[kMacroblocksPerSegment];
};

// Codes the quantized segment into five video DIF blocks at output and advances it by 400.
void CodeSegment(SegmentWork& segment, uint8_t*& output);

}  // namespace encdv

#endif
