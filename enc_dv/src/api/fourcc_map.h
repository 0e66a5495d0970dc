#ifndef ENC_DV_API_FOURCC_MAP_H
#define ENC_DV_API_FOURCC_MAP_H

#include <cstdint>

#include "common/pixel_format.h"

namespace encdv {

// Maps a FOURCC (exact, case-sensitive) to its code; false when it is not accepted.
bool MapFourcc(uint32_t fourcc, PixelFormatCode* code);

}  // namespace encdv

#endif
