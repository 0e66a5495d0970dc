// Source material for the dvenc tests: YUV4MPEG2 streams built from the shared synthetic
// pictures, and noise.
#ifndef ENC_DV_TESTS_TOOLS_TEST_STREAMS_H
#define ENC_DV_TESTS_TOOLS_TEST_STREAMS_H

#include <cstdint>
#include <string>
#include <vector>

#include "support/synthetic_picture.h"

namespace dvenc_test {

// The planes of a 4:2:2 picture: Y (width x height), Cb and Cr (width / 2 x height).
struct Planes422 {
    std::vector<uint8_t> y, cb, cr;
};
Planes422 SplitYuy2(const encdv::test::Yuy2Picture& picture);

// Cb or Cr of a 4:2:2 picture reduced to 4:2:0 by averaging line pairs.
std::vector<uint8_t> Chroma420(const std::vector<uint8_t>& chroma422, int height);

// "YUV4MPEG2 <parameters>\n" followed by frameCount copies of "FRAME\n" + planes.
std::string Y4mStream(const std::string& parameters, const std::string& planes, int frameCount);

std::string Bytes(const std::vector<uint8_t>& v);
std::vector<uint8_t> Noise(size_t bytes, uint32_t seed);

}  // namespace dvenc_test

#endif
