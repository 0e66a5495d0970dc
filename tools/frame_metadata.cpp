#include "frame_metadata.h"

#include <cstring>

#include "dv_audio.h"

namespace dvenc {

namespace {

constexpr int kSyncBlocksPerSubcodeBlock = 6;
constexpr int kSyncBlockBytes = 8;  // ID0, ID1, parity, one pack

// VAUX packs of the recording date and time: after the source and source control packs,
// numbers 41 and 42 of even DIF sequences and 2 and 3 of odd ones.
int VauxDatePack(int sequence) {
    return sequence % 2 == 0 ? 41 : 2;
}

}  // namespace

FrameMetadata::FrameMetadata(const DifLayout& layout, const Timecode& start,
                             const RecordingDate* date)
    : layout_(layout),
      startFrame_(TimecodeToFrames(start, layout.is625)),
      dropFrame_(start.dropFrame),
      haveDate_(date != nullptr),
      date_(date ? *date : RecordingDate()) {}

void FrameMetadata::Write(uint8_t* frame, long long index, int sampleRate, const int16_t* stereo,
                          int samples) const {
    uint8_t timecodePack[kPackBytes];
    TimecodePack(TimecodeFromFrames(startFrame_ + index, layout_.is625, dropFrame_), timecodePack);
    uint8_t datePack[kPackBytes];
    uint8_t timePack[kPackBytes];
    std::memset(datePack, 0xFF, kPackBytes);
    std::memset(timePack, 0xFF, kPackBytes);
    if (haveDate_) {
        // Whole seconds since the first frame.
        const long long seconds = layout_.is625 ? index / 25 : index * 1001 / 30000;
        RecordingDatePacks(AddSeconds(date_, seconds), 0x62, datePack, timePack);
        for (int s = 0; s < layout_.Sequences(); ++s) {
            std::memcpy(frame + layout_.VauxPack(s, VauxDatePack(s)), datePack, kPackBytes);
            std::memcpy(frame + layout_.VauxPack(s, VauxDatePack(s) + 1), timePack, kPackBytes);
        }
    }
    WriteSubcode(frame, timecodePack, datePack, timePack);
    WriteAudio(frame, layout_, sampleRate, stereo, samples);
    if (layout_.headerBlocks) {
        // Bit 7 of TF1 (audio) and TF3 (subcode): 0 = data valid. The SMPTE 314M form of
        // the library's header marks both invalid, as it writes neither.
        for (int s = 0; s < layout_.Sequences(); ++s) {
            frame[layout_.Header(s) + 5] &= 0x7F;
            frame[layout_.Header(s) + 7] &= 0x7F;
        }
    }
}

void FrameMetadata::WriteSubcode(uint8_t* frame, const uint8_t* timecodePack,
                                 const uint8_t* datePack, const uint8_t* timePack) const {
    // Each subcode block holds six sync blocks (numbers 0-5 in block 0, 6-11 in block 1):
    // the time code, recording date and recording time packs, twice.
    const uint8_t* packs[3] = {timecodePack, datePack, timePack};
    const int half = layout_.Sequences() / 2;
    for (int s = 0; s < layout_.Sequences(); ++s) {
        const uint8_t firstHalf = s < half ? 0x80 : 0x00;  // FR flag
        for (int b = 0; b < 2; ++b) {
            uint8_t* block = frame + layout_.Subcode(s, b);
            std::memset(block + 3, 0xFF, kDifBlockBytes - 3);
            for (int k = 0; k < kSyncBlocksPerSubcodeBlock; ++k) {
                const int number = b * kSyncBlocksPerSubcodeBlock + k;
                uint8_t* sync = block + 3 + k * kSyncBlockBytes;
                // ID0: FR, then the application ID AP3 = 000 in sync blocks 0 and 6, the
                // index, skip and photo tags (1 = none) elsewhere; reserved bits 1.
                sync[0] = static_cast<uint8_t>(firstHalf | (k == 0 ? 0x0F : 0x7F));
                sync[1] = static_cast<uint8_t>(0xF0 | number);  // ID1: sync block number
                sync[2] = 0xFF;                                 // parity (unused in DIF)
                std::memcpy(sync + 3, packs[k % 3], kPackBytes);
            }
        }
    }
}

}  // namespace dvenc
