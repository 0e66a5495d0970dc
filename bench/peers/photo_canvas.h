#ifndef ENC_DV_BENCH_PEERS_PHOTO_CANVAS_H
#define ENC_DV_BENCH_PEERS_PHOTO_CANVAS_H

#include <string>

#include "resample.h"

namespace encdv {
namespace bench {

// A mosaic of real photographs in studio-range Y'CbCr (ITU-R BT.601), every plane at full
// resolution, for the clips to pan and zoom across.
struct PhotoCanvas {
    FloatPlane y, cb, cr;
};

// Where Debian's python3-skimage installs its sample pictures.
constexpr const char* kDefaultPhotoDirectory = "/usr/lib/python3/dist-packages/skimage/data";

// Builds the canvas from the public-domain and CC0 photographs in directory (decoded with
// libavcodec's PNG and JPEG decoders). False, with a reason, when a photograph is missing or
// does not decode.
bool LoadPhotoCanvas(const std::string& directory, PhotoCanvas& canvas, std::string& reason);

}  // namespace bench
}  // namespace encdv

#endif
