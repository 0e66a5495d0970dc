#include "coding/segment_coder.h"

#include <cstring>

namespace encdv {

// Placeholder: ID, STA/QNO and empty block areas. Replaced by the real coder.
void CodeSegment(SegmentWork& segment, uint8_t*& output) {
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        uint8_t* block = output + 80 * k;
        PackDifId(*segment.ids[k], block);
        block[3] = static_cast<uint8_t>((segment.macroblocks[k].sta << 4) |
                                        (segment.macroblocks[k].qno & 15));
        std::memset(block + 4, 0, 76);
    }
    output += 400;
}

}  // namespace encdv
