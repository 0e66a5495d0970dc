#ifndef ENC_DV_BENCH_PEERS_CLIP_H
#define ENC_DV_BENCH_PEERS_CLIP_H

#include <cstdint>
#include <vector>

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
    const char* content;  // "natural" or "noise"
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

}  // namespace bench
}  // namespace encdv

#endif
