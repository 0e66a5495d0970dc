#ifndef ENC_DV_TESTS_SUPPORT_DV_DECODER_H
#define ENC_DV_TESTS_SUPPORT_DV_DECODER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace encdv {
namespace test {

// One decoded picture as three tightly packed planes.
struct DecodedFrame {
    int width = 0;
    int height = 0;
    int chromaWidth = 0;   // 360 for 4:2:0, 180 for 4:1:1
    int chromaHeight = 0;  // height / 2 for 4:2:0, height for 4:1:1
    std::vector<uint8_t> y;
    std::vector<uint8_t> cb;
    std::vector<uint8_t> cr;
};

// Decodes one DV frame (120000 or 144000 bytes) with libavcodec's DV decoder, an
// implementation independent of the encoder. Returns false, with a reason in *error when
// error is not null, if the decoder refuses the frame, flags it corrupt or delivers a
// pixel format other than 4:2:0 or 4:1:1; with failOnWarning, also if it logs a warning.
bool DecodeDvFrame(const uint8_t* data, size_t size, DecodedFrame& out,
                   std::string* error = nullptr, bool failOnWarning = false);

}  // namespace test
}  // namespace encdv

#endif
