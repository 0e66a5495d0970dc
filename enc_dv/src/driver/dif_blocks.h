#ifndef ENC_DV_DRIVER_DIF_BLOCKS_H
#define ENC_DV_DRIVER_DIF_BLOCKS_H

#include <cstdint>

#include "common/constants.h"
#include "common/dif_layout.h"
#include "common/frame_plan.h"

namespace encdv {

constexpr int kHeaderPayloadBytes = 5;  // bytes 3-7 of the header block
constexpr int kVauxPackBytes = 10;      // VAUX source pack and source control pack

// Bytes 3-7 of the header block for the plan's video mode and header form.
const uint8_t* HeaderBlockBytes(const FramePlan& plan);

// The VAUX source pack followed by the VAUX source control pack for the plan's video mode
// and aspect ratio.
const uint8_t* VauxPackBytes(const FramePlan& plan);

// The AAUX pack of audio block dbn (0-8) of a sequence with the given parity.
const uint8_t* AudioPackBytes(bool oddSequence, int dbn);

}  // namespace encdv

#endif
