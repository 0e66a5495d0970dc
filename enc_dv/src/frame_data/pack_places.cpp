#include "frame_data/pack_places.h"

#include <cstring>

namespace encdv {

namespace {

constexpr int kSyncBlocksPerSubcodeBlock = 6;
constexpr int kSyncBlockBytes = 8;  // ID0, ID1, parity, one pack

// First VAUX pack of the recording date: after the source and source control packs.
int VauxDatePack(bool oddSequence) {
    constexpr int kVauxPacksPerBlock = (kDifBlockBytes - kDifIdBytes) / kPackBytes;
    return VauxPackBlock(oddSequence) * kVauxPacksPerBlock +
           (VauxPackOffset(oddSequence) - kDifIdBytes) / kPackBytes + 2;
}

}  // namespace

void WriteSubcodePack(uint8_t* frame, const FrameShape& shape, SubcodeSlot slot,
                      const uint8_t pack[kPackBytes]) {
    const int half = shape.Sequences() / 2;
    for (int s = 0; s < shape.Sequences(); ++s) {
        const uint8_t firstHalf = s < half ? 0x80 : 0x00;  // FR flag
        for (int b = 0; b < kSubcodeBlocksPerSequence; ++b) {
            uint8_t* block = frame + shape.Subcode(s, b);
            for (int k = 0; k < kSyncBlocksPerSubcodeBlock; ++k) {
                const int number = b * kSyncBlocksPerSubcodeBlock + k;
                uint8_t* sync = block + kDifIdBytes + k * kSyncBlockBytes;
                // ID0: FR, then the application ID AP3 = 000 in sync blocks 0 and 6, the
                // index, skip and photo tags (1 = none) elsewhere; reserved bits 1.
                sync[0] = static_cast<uint8_t>(firstHalf | (k == 0 ? 0x0F : 0x7F));
                sync[1] = static_cast<uint8_t>(0xF0 | number);  // ID1: sync block number
                sync[2] = 0xFF;                                 // parity (unused in DIF)
                if (k % 3 == static_cast<int>(slot)) std::memcpy(sync + 3, pack, kPackBytes);
            }
        }
    }
}

void WriteVauxDatePacks(uint8_t* frame, const FrameShape& shape, const uint8_t datePack[kPackBytes],
                        const uint8_t timePack[kPackBytes]) {
    for (int s = 0; s < shape.Sequences(); ++s) {
        const int first = VauxDatePack(s % 2 == 1);
        std::memcpy(frame + shape.VauxPack(s, first), datePack, kPackBytes);
        std::memcpy(frame + shape.VauxPack(s, first + 1), timePack, kPackBytes);
    }
}

void WriteAauxDatePacks(uint8_t* frame, const FrameShape& shape, const uint8_t datePack[kPackBytes],
                        const uint8_t timePack[kPackBytes]) {
    for (int s = 0; s < shape.Sequences(); ++s) {
        const int first = AauxSourcePackBlock(s % 2 == 1) + 2;
        std::memcpy(frame + shape.Audio(s, first) + kDifIdBytes, datePack, kPackBytes);
        std::memcpy(frame + shape.Audio(s, first + 1) + kDifIdBytes, timePack, kPackBytes);
    }
}

}  // namespace encdv
