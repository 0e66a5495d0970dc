#include "driver/frame_driver.h"

#include "api/dv_encoder.h"

namespace encdv {

// Placeholder until the driver lands.
int EncodeFrame(CDVEncoder&, uint8_t*, const uint8_t*, int, int, int, uint32_t, PixelFormatCode) {
    return 0;
}

}  // namespace encdv
