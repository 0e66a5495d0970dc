// Fixed payloads of the header, VAUX and audio DIF blocks (IEC 61834-2, SMPTE 314M).
#include "driver/dif_blocks.h"

#include "common/video_mode.h"

namespace encdv {
namespace {

// Header block bytes 3-7: DSF/ones, APT, then TF/AP for audio, video and subcode.
// IEC 61834-2 form (APT 000, all areas valid) and SMPTE 314M form (APT 001, audio and
// subcode marked invalid), each for 525/60 and 625/50.
constexpr uint8_t kHeader525[kHeaderPayloadBytes] = {0x3F, 0x68, 0x78, 0x78, 0x78};
constexpr uint8_t kHeader525Smpte[kHeaderPayloadBytes] = {0x3F, 0xF9, 0xF9, 0x79, 0xF9};
constexpr uint8_t kHeader625With420[kHeaderPayloadBytes] = {0xBF, 0x68, 0x78, 0x78, 0x78};
constexpr uint8_t kHeader625With411[kHeaderPayloadBytes] = {0xBF, 0xF9, 0xF9, 0x79, 0xF9};

// VAUX source pack (50-field flag in byte 3 bit 5) and source control pack (display
// select mode in byte 2 bits 2-0: 4:3, or 16:9), for 625/50 4:2:0, 625/50 4:1:1 and
// 525/60, each 4:3 then 16:9.
constexpr uint8_t kVauxPacks[3][2][kVauxPackBytes] = {
    {{0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xC8, 0xFD, 0xFF},
     {0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xCF, 0xFD, 0xFF}},
    {{0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xC8, 0xFC, 0xFF},
     {0x60, 0xFF, 0xFF, 0x20, 0xFF, 0x61, 0x33, 0xCA, 0xFC, 0xFF}},
    {{0x60, 0xFF, 0xFF, 0x00, 0xFF, 0x61, 0x33, 0xC8, 0xFC, 0xFF},
     {0x60, 0xFF, 0xFF, 0x00, 0xFF, 0x61, 0x33, 0xCA, 0xFC, 0xFF}},
};

// AAUX source pack of silent frames and the empty pack (the source control pack is shared
// with the writers of a frame's sound, common/dif_layout.h).
constexpr uint8_t kAauxSource[kPackBytes] = {0x50, 0xD8, 0x00, 0xE0, 0xC0};
constexpr uint8_t kEmptyPack[kPackBytes] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

}  // namespace

const uint8_t* HeaderBlockBytes(const FramePlan& plan) {
    // At 625/50 the mode already says which form: 4:1:1 is only sent as SMPTE 314M.
    switch (plan.mode) {
        case MODE_525_411:
            return plan.headerForm == HeaderForm::kSmpte314M ? kHeader525Smpte : kHeader525;
        case MODE_625_411:
            return kHeader625With411;
        default:
            return kHeader625With420;
    }
}

const uint8_t* VauxPackBytes(const FramePlan& plan) {
    const int row = plan.mode == MODE_525_411 ? 2 : plan.mode == MODE_625_411 ? 1 : 0;
    return kVauxPacks[row][plan.wide ? 1 : 0];
}

const uint8_t* AudioPackBytes(bool oddSequence, int dbn) {
    const int first = AauxSourcePackBlock(oddSequence);
    if (dbn == first) return kAauxSource;
    if (dbn == first + 1) return kAauxSourceControlPack;
    return kEmptyPack;
}

}  // namespace encdv
