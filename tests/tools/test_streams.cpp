#include "test_streams.h"

namespace dvenc_test {

Planes422 SplitYuy2(const encdv::test::Yuy2Picture& picture) {
    return {encdv::test::LumaPlane(picture), encdv::test::CbPlane422(picture),
            encdv::test::CrPlane422(picture)};
}

std::vector<uint8_t> Chroma420(const std::vector<uint8_t>& chroma422, int height) {
    const size_t width = chroma422.size() / height;
    std::vector<uint8_t> out(width * (height / 2));
    for (int j = 0; j < height / 2; ++j) {
        for (size_t x = 0; x < width; ++x) {
            out[j * width + x] =
                (chroma422[2 * j * width + x] + chroma422[(2 * j + 1) * width + x] + 1) / 2;
        }
    }
    return out;
}

std::string Y4mStream(const std::string& parameters, const std::string& planes, int frameCount) {
    std::string stream = "YUV4MPEG2 " + parameters + "\n";
    for (int i = 0; i < frameCount; ++i) stream += "FRAME\n" + planes;
    return stream;
}

std::string Bytes(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

std::vector<uint8_t> Noise(size_t bytes, uint32_t seed) {
    std::vector<uint8_t> out(bytes);
    encdv::test::FillXorshiftNoise(out, seed ? seed : 1);
    return out;
}

}  // namespace dvenc_test
