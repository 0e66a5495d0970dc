#ifndef ENC_DV_COMMON_CONSTANTS_H
#define ENC_DV_COMMON_CONSTANTS_H

namespace encdv {

// Samples of a picture line that the encoder reads: every DV system is 720 wide.
constexpr int kLineWidth = 720;

// Bytes of a DIF block (3 ID bytes and 77 payload bytes), and DIF blocks of a DIF sequence
// with its header block (149 without it).
constexpr int kDifBlockBytes = 80;
constexpr int kDifBlocksPerSequence = 150;

// A video segment: five macroblocks, coded together into five video DIF blocks.
constexpr int kMacroblocksPerSegment = 5;

// Video DIF blocks of one DIF sequence: 27 segments.
constexpr int kVideoBlocksPerSequence = 135;

// DC (9 bits), DCT mode (1) and class number (2) open every block's code.
constexpr int kBlockHeaderBits = 12;

// Threads of one frame at most: the calling thread and 15 workers.
constexpr int kMaxThreads = 16;

}  // namespace encdv

#endif
