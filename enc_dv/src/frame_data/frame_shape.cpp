#include "frame_data/frame_shape.h"

#include <initializer_list>

namespace encdv {

bool ShapeOfFrame(int frameBytes, FrameShape* shape) {
    for (const bool is625 : {false, true}) {
        for (const bool headerBlocks : {true, false}) {
            FrameShape candidate;
            candidate.is625 = is625;
            candidate.headerBlocks = headerBlocks;
            if (static_cast<size_t>(frameBytes) ==
                candidate.SequenceBytes() * candidate.Sequences()) {
                *shape = candidate;
                return true;
            }
        }
    }
    return false;
}

void MarkAreaValid(uint8_t* frame, const FrameShape& shape, HeaderArea area) {
    if (!shape.headerBlocks) return;
    for (int s = 0; s < shape.Sequences(); ++s) {
        frame[shape.Header(s) + static_cast<int>(area)] &= 0x7F;
    }
}

}  // namespace encdv
