// Where the blocks and packs of a DIF sequence lie (IEC 61834-2): an optional header block,
// subcode blocks 0-1, VAUX blocks 0-2, then nine times an audio block followed by 15 video
// blocks. Shared by the sequence writer and the writers of a frame's sound, time code and
// recording date.
#ifndef ENC_DV_COMMON_DIF_LAYOUT_H
#define ENC_DV_COMMON_DIF_LAYOUT_H

#include <cstdint>

namespace encdv {

constexpr int kDifIdBytes = 3;
constexpr int kPackBytes = 5;  // every pack: one kind byte and four data bytes

// Section types (SCT) of the DIF block ID.
enum SectionType : int {
    kSectionHeader = 0,
    kSectionSubcode = 1,
    kSectionVaux = 2,
    kSectionAudio = 3,
    kSectionVideo = 4,
};

constexpr int kSubcodeBlocksPerSequence = 2;
constexpr int kVauxBlocksPerSequence = 3;
constexpr int kAudioBlocksPerSequence = 9;
constexpr int kVideoBlocksPerAudioBlock = 15;  // each audio block is followed by 15 video blocks

// VAUX block and byte offset where a sequence carries its VAUX source pack, followed by the
// VAUX source control pack: packs 39 and 40 of the sequence's 45 (15 per block, from byte 3)
// in even sequences, packs 0 and 1 in odd ones.
constexpr int VauxPackBlock(bool oddSequence) {
    return oddSequence ? 0 : 2;
}
constexpr int VauxPackOffset(bool oddSequence) {
    return oddSequence ? 3 : 48;
}

// Audio block whose bytes 3-7 carry the AAUX source pack: 3 in even sequences, 0 in odd
// ones. The source control pack and the recording date and time packs follow it, one per
// audio block.
constexpr int AauxSourcePackBlock(bool oddSequence) {
    return oddSequence ? 0 : 3;
}

// AAUX source control pack: no copy protection, not a recording start or end, original
// recording, forward at normal speed, no genre.
inline constexpr uint8_t kAauxSourceControlPack[kPackBytes] = {0x51, 0x3F, 0xCF, 0xA0, 0xFF};

}  // namespace encdv

#endif
