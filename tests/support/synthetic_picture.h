#ifndef ENC_DV_TESTS_SUPPORT_SYNTHETIC_PICTURE_H
#define ENC_DV_TESTS_SUPPORT_SYNTHETIC_PICTURE_H

#include <cstdint>
#include <vector>

namespace encdv {
namespace test {

// A packed YUY2 picture: per pixel pair the bytes Y0, Cb, Y1, Cr; lines 2 x width bytes
// apart, top line first.
struct Yuy2Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;
    int Pitch() const { return 2 * width; }
};

// A deterministic natural-looking picture: gradients, a slow wave, soft blobs, a soft-edged
// disc and texture that fades towards finer scales, luma 16-235 and chroma 16-240. Content depends
// only on the pixel position, so a 480-line picture is the top of the 576-line one.
Yuy2Picture MakeSmoothPicture(int width, int height);

// Every byte uniformly random in 0-255 from a xorshift generator started at seed.
Yuy2Picture MakeNoisePicture(int width, int height, uint32_t seed);

// Overwrites each byte with the top byte of the next xorshift32 (13, 17, 5) state after
// state; a zero state stays zero.
void FillXorshiftNoise(std::vector<uint8_t>& bytes, uint32_t state);

// The luma plane (width x height) and a chroma plane at the source's 4:2:2 resolution
// (width / 2 x height) of a YUY2 picture.
std::vector<uint8_t> LumaPlane(const Yuy2Picture& picture);
std::vector<uint8_t> CbPlane422(const Yuy2Picture& picture);
std::vector<uint8_t> CrPlane422(const Yuy2Picture& picture);

}  // namespace test
}  // namespace encdv

#endif
