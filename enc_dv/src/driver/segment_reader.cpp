#include "driver/segment_reader.h"

#include <cstring>

namespace encdv {
namespace {

// Exchanges lines 2i and 2i+1 of every 8x8 block: the two fields change places.
void SwapFields(MacroblockPixels& pixels) {
    for (auto& block : pixels.blocks) {
        for (int line = 0; line < 8; line += 2) {
            uint8_t upper[8];
            std::memcpy(upper, block + 8 * line, 8);
            std::memcpy(block + 8 * line, block + 8 * (line + 1), 8);
            std::memcpy(block + 8 * (line + 1), upper, 8);
        }
    }
}

}  // namespace

const MacroblockPixels& SegmentReader::Read(const int32_t* positions, int m, bool last,
                                            MacroblockWork& work) {
    const int x = positions[2 * m];
    const int y = positions[2 * m + 1];
    work.pixelX = x;
    work.pixelY = y;
    work.qno = 15;
    work.sta = 0;
    // The shuffle scatters a segment's macroblocks over the picture, beyond what the
    // hardware prefetchers foresee: ask for the next one while this one is coded.
    if (reader_->PrefetchMacroblock != nullptr && !last) {
        reader_->PrefetchMacroblock(reader_, positions[2 * m + 2], positions[2 * m + 3]);
    }
    reader_->ReadMacroblock(reader_, threadIndex_, x, y, &pixels_);
    if (swapFields_) SwapFields(pixels_);
    return pixels_;
}

}  // namespace encdv
