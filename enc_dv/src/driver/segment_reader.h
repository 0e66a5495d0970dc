#ifndef ENC_DV_DRIVER_SEGMENT_READER_H
#define ENC_DV_DRIVER_SEGMENT_READER_H

#include <cstdint>

#include "common/frame_plan.h"
#include "common/macroblock_pixels.h"
#include "common/macroblock_work.h"
#include "input/source_reader.h"

namespace encdv {

// The first step of every segment pipeline: one thread's reading of macroblocks through the
// frame's reader, with the plan's field swap applied.
class SegmentReader {
  public:
    SegmentReader(const FramePlan& plan, SourceReader* reader, int threadIndex)
        : reader_(reader), threadIndex_(threadIndex), swapFields_(plan.swapFields) {}

    // Reads macroblock m of the segment whose positions (x, y pairs) start at positions,
    // and sets its record's position and the QNO and STA the coder starts from. Unless it is
    // the last of its DIF sequence (last), the reader starts fetching the macroblock after it.
    const MacroblockPixels& Read(const int32_t* positions, int m, bool last, MacroblockWork& work);

  private:
    SourceReader* reader_;
    int threadIndex_;
    bool swapFields_;
    MacroblockPixels pixels_;
};

}  // namespace encdv

#endif
