// Planar layouts through the public interface: chroma in DV's own sampling goes into the
// frame in place (libavcodec's decoder gives every sample back where it was, within the
// coding error); planar 4:2:2 encodes exactly as the packed 4:2:2 layouts; bad pitches are
// refused without a write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "enc_dv.h"
#include "support/dv_decoder.h"
#include "support/synthetic_picture.h"

namespace encdv {
namespace test {
namespace {

constexpr unsigned kFourccI420 = 0x30323449;
constexpr unsigned kFourccIYUV = 0x56555949;
constexpr unsigned kFourccYV12 = 0x32315659;
constexpr unsigned kFourccY41B = 0x42313459;
constexpr unsigned kFourccY42B = 0x42323459;
constexpr unsigned kFourccYV16 = 0x36315659;

struct System {
    const char* name;
    int height;
    unsigned flags;
};
const System kSystems[] = {
    {"625/50 4:2:0", 576, 0},
    {"625/50 4:1:1", 576, DVENC_FLAG_SMPTE314M},
    {"525/60", 480, 0},
    {"525/60 486 lines", 486, 0},
};

// A planar frame: luma plane, then the chroma planes in the layout's order.
std::vector<uint8_t> Planar(const std::vector<uint8_t>& y, const std::vector<uint8_t>& first,
                            const std::vector<uint8_t>& second) {
    std::vector<uint8_t> frame(y);
    frame.insert(frame.end(), first.begin(), first.end());
    frame.insert(frame.end(), second.begin(), second.end());
    return frame;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& source, int pitch, int height,
                            unsigned flags, unsigned fourcc) {
    std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES, 0);
    const int length =
        CompressBuffer_DV(source.data(), pitch, out.data(), 0, 720, height, 0, flags, fourcc);
    out.resize(length > 0 ? length : 0);
    return out;
}

TEST(PlanarLayouts, Planar422EncodesExactlyAsPacked422) {
    for (const System& system : kSystems) {
        SCOPED_TRACE(system.name);
        const Yuy2Picture picture = MakeSmoothPicture(720, system.height);
        const std::vector<uint8_t> cb = CbPlane422(picture);
        const std::vector<uint8_t> cr = CrPlane422(picture);
        for (const unsigned mode : {0u, unsigned{DVENC_FLAG_BEST_QUALITY}}) {
            const std::vector<uint8_t> packed =
                Encode(picture.bytes, 1440, system.height, system.flags | mode, DVENC_FOURCC_YUY2);
            ASSERT_FALSE(packed.empty());
            EXPECT_EQ(Encode(Planar(LumaPlane(picture), cb, cr), 720, system.height,
                             system.flags | mode, kFourccY42B),
                      packed);
            EXPECT_EQ(Encode(Planar(LumaPlane(picture), cr, cb), 720, system.height,
                             system.flags | mode, kFourccYV16),
                      packed);
        }
    }
}

// A chroma plane of triangle waves across and down, so that a sample one place off differs
// from its neighbour by far more than the coding error.
std::vector<uint8_t> Waves(int width, int height, int phase) {
    std::vector<uint8_t> plane(static_cast<size_t>(width) * height);
    auto triangle = [](int t) { return std::abs(t % 16 - 8) * 6; };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            plane[static_cast<size_t>(y) * width + x] =
                static_cast<uint8_t>(64 + triangle(x + phase) + triangle(y + 2 * phase));
        }
    }
    return plane;
}

// Mean absolute difference between the decoded plane and the source plane moved by (dx, dy)
// (source line firstLine + dy + j against decoded line j), over the inner samples.
double MeanDifference(const std::vector<uint8_t>& decoded, int width, int height,
                      const std::vector<uint8_t>& source, int firstLine, int dx, int dy) {
    double sum = 0;
    int count = 0;
    for (int y = 1; y + 1 < height; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            const int s = source[static_cast<size_t>(firstLine + y + dy) * width + x + dx];
            sum += std::abs(decoded[static_cast<size_t>(y) * width + x] - s);
            ++count;
        }
    }
    return sum / count;
}

// Where the layout samples chroma as the system does, libavcodec's decoder gives each chroma
// sample back at its own place: within the coding error there, and far from it one line or
// one column off (the 4:1:1 macroblocks of the right edge included: their columns are checked
// on their own).
TEST(PlanarLayouts, ChromaInTheSystemsSamplingComesBackInPlace) {
    const struct {
        const char* name;
        int height;
        unsigned flags;
        unsigned fourcc;
        int chromaWidth, chromaHeight;
        bool crFirst;
    } cases[] = {
        {"625/50 I420", 576, 0, kFourccI420, 360, 288, false},
        {"625/50 IYUV", 576, 0, kFourccIYUV, 360, 288, false},
        {"625/50 YV12", 576, 0, kFourccYV12, 360, 288, true},
        {"625/50 SMPTE 314M Y41B", 576, DVENC_FLAG_SMPTE314M, kFourccY41B, 180, 576, false},
        {"525/60 Y41B", 480, 0, kFourccY41B, 180, 480, false},
        {"525/60 486 lines Y41B", 486, 0, kFourccY41B, 180, 486, false},
    };
    for (const auto& c : cases) {
        for (const unsigned mode : {0u, unsigned{DVENC_FLAG_BEST_QUALITY}}) {
            SCOPED_TRACE(testing::Message() << c.name << (mode ? " best" : " default"));
            const std::vector<uint8_t> luma = LumaPlane(MakeSmoothPicture(720, c.height));
            const std::vector<uint8_t> cb = Waves(c.chromaWidth, c.chromaHeight, 0);
            const std::vector<uint8_t> cr = Waves(c.chromaWidth, c.chromaHeight, 5);
            const std::vector<uint8_t> frame =
                Encode(c.crFirst ? Planar(luma, cr, cb) : Planar(luma, cb, cr), 720, c.height,
                       c.flags | mode, c.fourcc);
            DecodedFrame decoded;
            std::string why;
            ASSERT_TRUE(DecodeDvFrame(frame.data(), frame.size(), decoded, &why)) << why;
            ASSERT_EQ(decoded.chromaWidth, c.chromaWidth);
            const int firstLine = c.height == 486 ? 2 : 0;
            for (const bool isCb : {true, false}) {
                const std::vector<uint8_t>& plane = isCb ? decoded.cb : decoded.cr;
                const std::vector<uint8_t>& source = isCb ? cb : cr;
                const int w = decoded.chromaWidth;
                const int h = decoded.chromaHeight;
                const double inPlace = MeanDifference(plane, w, h, source, firstLine, 0, 0);
                EXPECT_LT(inPlace, 2.5) << (isCb ? "Cb" : "Cr");
                for (const auto& shift : {std::pair<int, int>{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    if (firstLine + shift.second < 0) continue;
                    EXPECT_GT(
                        MeanDifference(plane, w, h, source, firstLine, shift.first, shift.second),
                        2 * inPlace + 1)
                        << (isCb ? "Cb" : "Cr") << " moved " << shift.first << ", " << shift.second;
                }
                if (w == 180) {  // the right edge's columns 176-179, line by line
                    double sum = 0;
                    for (int y = 0; y < h; ++y) {
                        for (int x = 176; x < 180; ++x) {
                            sum += std::abs(plane[static_cast<size_t>(y) * w + x] -
                                            source[static_cast<size_t>(y + firstLine) * w + x]);
                        }
                    }
                    EXPECT_LT(sum / (4 * h), 2.5) << "right edge " << (isCb ? "Cb" : "Cr");
                }
            }
        }
    }
}

// A pitch below the width, one that does not split into whole chroma lines, a negative one
// (the planes follow the luma plane downwards) or a null source: 0, output untouched.
TEST(PlanarLayouts, RefusesPitchesThatCannotHoldThePlanes) {
    const std::vector<uint8_t> source(static_cast<size_t>(1500) * 576 * 2, 128);
    const struct {
        unsigned fourcc;
        int pitch;
        int width;
    } cases[] = {
        {kFourccI420, 718, 720},  {kFourccI420, 721, 720}, {kFourccYV12, 734, 736},
        {kFourccY42B, 723, 720},  {kFourccY41B, 722, 720}, {kFourccY41B, 738, 720},
        {kFourccI420, -720, 720}, {kFourccYV16, 0, 720},
    };
    for (const auto& c : cases) {
        for (const System& system : kSystems) {
            SCOPED_TRACE(testing::Message() << std::hex << c.fourcc << std::dec << " pitch "
                                            << c.pitch << " " << system.name);
            std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES, 0x5A);
            const uint8_t* start = c.pitch < 0 ? source.data() + source.size() / 2 : source.data();
            EXPECT_EQ(CompressBuffer_DV(start, c.pitch, out.data(), 0, c.width, system.height, 0,
                                        system.flags, c.fourcc),
                      0);
            EXPECT_EQ(out, std::vector<uint8_t>(DVENC_MAX_FRAME_BYTES, 0x5A));
        }
    }
    std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES);
    EXPECT_EQ(CompressBuffer_DV(nullptr, 720, out.data(), 0, 720, 576, 0, 0, kFourccI420), 0);
    // Pitches that do hold them: wider lines, and a 4:1:1 pitch that is a multiple of four.
    EXPECT_GT(CompressBuffer_DV(source.data(), 736, out.data(), 0, 720, 576, 0, 0, kFourccYV12), 0);
    EXPECT_GT(CompressBuffer_DV(source.data(), 724, out.data(), 0, 720, 480, 0, 0, kFourccY41B), 0);
}

}  // namespace
}  // namespace test
}  // namespace encdv
