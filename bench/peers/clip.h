#ifndef ENC_DV_BENCH_PEERS_CLIP_H
#define ENC_DV_BENCH_PEERS_CLIP_H

#include <cstdint>
#include <vector>

#include "photo_canvas.h"

namespace encdv {
namespace bench {

enum class Sampling { k420, k411 };

// One source picture in every form an encoder under test takes, made before any timing.
struct ClipFrame {
    std::vector<uint8_t> yuy2;  // packed 4:2:2, 1440 bytes a line
    std::vector<uint8_t> bgr4;  // the same picture as full-range B G R x, 2880 bytes a line
    // Planar Y, Cb, Cr: the luma and the chroma the DV system keeps, filtered from the
    // 4:2:2 chroma the way this encoder's readers do it (reference for every encoder).
    std::vector<uint8_t> y, cb, cr;
};

struct Clip {
    const char* content;  // "natural", "noise", "photo-pan", "photo-zoom" or "interlaced"
    int height;           // 576 or 480
    Sampling sampling;
    int chromaWidth;
    int chromaHeight;
    std::vector<ClipFrame> frames;
};

// A slow diagonal pan over the natural-looking synthetic picture of the test suite: the
// same content for every system, a different window on each frame.
Clip MakeNaturalClip(int height, Sampling sampling, int frameCount);

// Every YUY2 byte uniformly random (a fresh seed per frame): the worst case for the
// rate control and the variable-length coder.
Clip MakeNoiseClip(int height, Sampling sampling, int frameCount);

// A pan across the photograph mosaic at sub-pixel steps (83.37 samples right and 17.71 lines
// down a frame, back and forth within the mosaic): a different part of it on every frame.
Clip MakePhotoPanClip(const PhotoCanvas& canvas, int height, Sampling sampling, int frameCount);

// A zoom on the mosaic's centre, from 0.8 to 1.35 mosaic samples a picture sample and back,
// 0.0787 a frame: enlarged and reduced photographs.
Clip MakePhotoZoomClip(const PhotoCanvas& canvas, int height, Sampling sampling, int frameCount);

// An interlaced pan across the mosaic: the second field sampled half a frame after the first
// (4.3 samples right and 0.6 lines down a field), so the two fields of a frame differ as a
// camera's do under motion. The first field is the top one at 625/50, the bottom one at
// 525/60.
Clip MakeInterlacedClip(const PhotoCanvas& canvas, int height, Sampling sampling, int frameCount);

}  // namespace bench
}  // namespace encdv

#endif
