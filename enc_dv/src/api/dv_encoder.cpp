#include "api/dv_encoder.h"

#include <new>

#include "platform/memory.h"

namespace encdv {

// Placeholder until the video-system setup lands.
int CDVCoder::SelectSystem(int) { return 0; }

CDVEncoder::~CDVEncoder() = default;

CDVEncoder* CDVEncoder::Create(EncoderHandle*) { return nullptr; }

}  // namespace encdv
