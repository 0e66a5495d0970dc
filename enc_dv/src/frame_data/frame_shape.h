// The shape of a DV frame the compress calls wrote, known from its size alone: the system
// (10 or 12 DIF sequences) and whether each sequence opens with its header block; and the
// byte offsets of its header, subcode, VAUX and audio blocks.
#ifndef ENC_DV_FRAME_DATA_FRAME_SHAPE_H
#define ENC_DV_FRAME_DATA_FRAME_SHAPE_H

#include <cstddef>
#include <cstdint>

#include "common/constants.h"
#include "common/dif_layout.h"

namespace encdv {

struct FrameShape {
    bool is625 = true;
    bool headerBlocks = true;

    int Sequences() const { return is625 ? 12 : 10; }
    size_t SequenceBytes() const {
        return static_cast<size_t>(kDifBlocksPerSequence - (headerBlocks ? 0 : 1)) * kDifBlockBytes;
    }

    // Byte offsets of whole blocks of sequence s.
    size_t Header(int s) const { return s * SequenceBytes(); }
    size_t Subcode(int s, int block) const { return Block(s, 1 + block); }
    size_t Vaux(int s, int block) const { return Block(s, 1 + kSubcodeBlocksPerSequence + block); }
    size_t Audio(int s, int block) const {
        return Block(s, 1 + kSubcodeBlocksPerSequence + kVauxBlocksPerSequence +
                            (1 + kVideoBlocksPerAudioBlock) * block);
    }

    // Byte offset of VAUX pack p (0-44) of sequence s: 15 packs a block, from byte 3.
    size_t VauxPack(int s, int p) const {
        constexpr int kPacksPerBlock = (kDifBlockBytes - kDifIdBytes) / kPackBytes;
        return Vaux(s, p / kPacksPerBlock) + kDifIdBytes + kPackBytes * (p % kPacksPerBlock);
    }

  private:
    // Position counted as if the header block were present.
    size_t Block(int s, int position) const {
        return s * SequenceBytes() + (position - (headerBlocks ? 0 : 1)) * kDifBlockBytes;
    }
};

// The shape of a frame of frameBytes bytes: false when that is no size the compress calls
// return (120000, 119200, 144000, 143040).
bool ShapeOfFrame(int frameBytes, FrameShape* shape);

// Marks an area valid in every header block of the frame (clears the transmitting flag TF,
// bit 7 of the area's byte): the SMPTE 314M form of the header marks audio and subcode
// invalid, as the compress calls write neither. Without header blocks there is nothing to do.
enum class HeaderArea { kAudio = 5, kSubcode = 7 };
void MarkAreaValid(uint8_t* frame, const FrameShape& shape, HeaderArea area);

}  // namespace encdv

#endif
