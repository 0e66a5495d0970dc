#ifndef ENC_DV_COMMON_VIDEO_MODE_H
#define ENC_DV_COMMON_VIDEO_MODE_H

namespace encdv {

// Video system and chroma sampling of a frame; only the low byte is significant.
enum VideoMode : int {
    MODE_625_420 = 0,  // 625/50, 4:2:0, 12 DIF sequences
    MODE_625_411 = 2,  // 625/50, 4:1:1 (SMPTE 314M), 12 DIF sequences
    MODE_525_411 = 3,  // 525/60, 4:1:1, 10 DIF sequences
};

}  // namespace encdv

#endif
