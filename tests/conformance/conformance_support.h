#ifndef ENC_DV_TESTS_CONFORMANCE_CONFORMANCE_SUPPORT_H
#define ENC_DV_TESTS_CONFORMANCE_CONFORMANCE_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "support/dv_decoder.h"
#include "support/synthetic_picture.h"

namespace encdv {
namespace test {

// Encodes a YUY2 picture through the public interface; an empty result when refused.
std::vector<uint8_t> EncodeYuy2(const Yuy2Picture& picture, unsigned flags);

// Encodes raw bytes of the given layout (lines 720 x bytesPerPixel apart).
std::vector<uint8_t> EncodeRaw(const std::vector<uint8_t>& bytes, int bytesPerPixel, int height,
                               unsigned flags, unsigned fourcc);

// Decodes the frame with the independent decoder and reads every video segment with the
// bit-level reader; returns false with a reason when either finds a fault or when a free
// bit of the video areas is not zero.
bool DecodeAndCheck(const std::vector<uint8_t>& frame, DecodedFrame& decoded, std::string& reason);

// The chroma planes the readers hand to the transform, from the YUY2 chroma of the lines
// the encoder reads (the 486-line picture loses its first two lines):
// 4:2:0, each sample the rounded average of two lines of the same field (row 2G + j from
// lines 4G + j and 4G + j + 2); 4:1:1, each line filtered (s[c-1] + 6 s[c] + s[c+1] + 2) >> 3
// at every second sample, the line's end samples repeated past its ends.
std::vector<uint8_t> ReferenceChroma420(const std::vector<uint8_t>& plane422, int firstLine,
                                        int lines);
std::vector<uint8_t> ReferenceChroma411(const std::vector<uint8_t>& plane422, int firstLine,
                                        int lines);

}  // namespace test
}  // namespace encdv

#endif
