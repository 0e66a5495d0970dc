// Where the blocks of a DV frame lie (IEC 61834-2): per DIF sequence an optional header
// block, subcode blocks 0-1, VAUX blocks 0-2, then nine times an audio block followed by 15
// video blocks.
#ifndef DVENC_DIF_LAYOUT_H
#define DVENC_DIF_LAYOUT_H

#include <cstddef>
#include <cstdint>

namespace dvenc {

constexpr size_t kDifBlockBytes = 80;
constexpr int kAudioBlocksPerSequence = 9;
constexpr int kPackBytes = 5;

struct DifLayout {
    bool is625 = true;
    bool headerBlocks = true;

    int Sequences() const { return is625 ? 12 : 10; }
    size_t SequenceBytes() const { return (headerBlocks ? 150 : 149) * kDifBlockBytes; }
    size_t FrameBytes() const { return Sequences() * SequenceBytes(); }

    // Byte offsets of whole blocks within the frame.
    size_t Header(int sequence) const { return sequence * SequenceBytes(); }
    size_t Subcode(int sequence, int block) const { return Block(sequence, 1 + block); }
    size_t Vaux(int sequence, int block) const { return Block(sequence, 3 + block); }
    size_t Audio(int sequence, int block) const { return Block(sequence, 6 + 16 * block); }

    // Byte offset of VAUX pack p (0-44) of a sequence: 15 packs per block from byte 3.
    size_t VauxPack(int sequence, int pack) const {
        return Vaux(sequence, pack / 15) + 3 + kPackBytes * (pack % 15);
    }

  private:
    // Position counted as if the header block were present.
    size_t Block(int sequence, int position) const {
        return sequence * SequenceBytes() + (position - (headerBlocks ? 0 : 1)) * kDifBlockBytes;
    }
};

}  // namespace dvenc

#endif
