#ifndef ENC_DV_DRIVER_FRAME_DRIVER_H
#define ENC_DV_DRIVER_FRAME_DRIVER_H

#include <cstdint>

#include "api/pixel_format.h"

namespace encdv {

class CDVEncoder;

// Encodes one frame with the encoder's video system and worker records. Returns the
// number of bytes written to output, or 0 (nothing written) when the frame is refused.
int EncodeFrame(CDVEncoder& encoder, uint8_t* output, const uint8_t* source, int sourcePitch,
                int width, int height, uint32_t flags, PixelFormatCode format);

}  // namespace encdv

#endif
