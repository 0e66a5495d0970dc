#include "conformance/conformance_support.h"

#include "enc_dv.h"
#include "support/dv_video_parser.h"

namespace encdv {
namespace test {

std::vector<uint8_t> EncodeRaw(const std::vector<uint8_t>& bytes, int bytesPerPixel, int height,
                               unsigned flags, unsigned fourcc) {
    std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES);
    const int length = CompressBuffer_DV(bytes.data(), 720 * bytesPerPixel, frame.data(), 0, 720,
                                         height, 0, flags, fourcc);
    frame.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return frame;
}

std::vector<uint8_t> EncodeYuy2(const Yuy2Picture& picture, unsigned flags) {
    return EncodeRaw(picture.bytes, 2, picture.height, flags, DVENC_FOURCC_YUY2);
}

bool DecodeAndCheck(const std::vector<uint8_t>& frame, DecodedFrame& decoded, std::string& reason) {
    if (!DecodeDvFrame(frame.data(), frame.size(), decoded, &reason)) return false;
    std::vector<ParsedSegment> segments;
    if (!ParseVideoSegments(frame.data(), frame.size(), segments, &reason)) return false;
    const size_t expected = frame.size() == DVENC_FRAME_BYTES_625 ? 12 * 27 : 10 * 27;
    if (segments.size() != expected) {
        reason = std::to_string(segments.size()) + " video segments";
        return false;
    }
    for (const ParsedSegment& segment : segments) {
        if (!segment.unusedBitsZero) {
            reason = "free bits not zero";
            return false;
        }
    }
    return true;
}

std::vector<uint8_t> ReferenceChroma420(const std::vector<uint8_t>& plane422, int firstLine,
                                        int lines) {
    std::vector<uint8_t> out(static_cast<size_t>(360) * (lines / 2));
    for (int r = 0; r < lines / 2; ++r) {
        const int line = firstLine + 4 * (r / 2) + r % 2;
        for (int c = 0; c < 360; ++c) {
            const int a = plane422[static_cast<size_t>(line) * 360 + c];
            const int b = plane422[static_cast<size_t>(line + 2) * 360 + c];
            out[static_cast<size_t>(r) * 360 + c] = static_cast<uint8_t>((a + b + 1) >> 1);
        }
    }
    return out;
}

std::vector<uint8_t> ReferenceChroma411(const std::vector<uint8_t>& plane422, int firstLine,
                                        int lines) {
    std::vector<uint8_t> out(static_cast<size_t>(180) * lines);
    for (int r = 0; r < lines; ++r) {
        const uint8_t* s = &plane422[static_cast<size_t>(firstLine + r) * 360];
        for (int k = 0; k < 180; ++k) {
            const int c = 2 * k;
            const int left = s[c > 0 ? c - 1 : 0];
            const int right = s[c < 359 ? c + 1 : 359];
            out[static_cast<size_t>(r) * 180 + k] =
                static_cast<uint8_t>((left + 6 * s[c] + right + 2) >> 3);
        }
    }
    return out;
}

}  // namespace test
}  // namespace encdv
