// Pins the exact bytes of whole frames, by hash, for every video mode, every row kernel
// family and the flags that change the coded bits. The hashes were taken from the encoder
// before any speed work on its kernels, whose frames the independent decoder had already
// accepted; a change of any output bit must be deliberate and show up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "enc_dv.h"
#include "support/synthetic_picture.h"

namespace encdv {
namespace test {
namespace {

uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xCBF29CE484222325u;
    for (const uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001B3u;
    }
    return hash;
}

// A picture of bytesPerPixel-byte pixels: ramps in every channel, a hard-edged
// square and a little integer-hash grain, so that every layout exercises its whole path.
std::vector<uint8_t> MakePackedPicture(int bytesPerPixel, int height) {
    std::vector<uint8_t> bytes(static_cast<size_t>(720) * bytesPerPixel * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 720; ++x) {
            uint32_t h =
                static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
            h ^= h >> 15;
            h *= 0x2C1B3C6Du;
            h ^= h >> 12;
            const bool inSquare = x >= 200 && x < 330 && y >= 150 && y < 280;
            for (int c = 0; c < bytesPerPixel; ++c) {
                const int ramp = (c == 0 ? x / 3 : c == 1 ? y / 3 : (x + y) / 5) + 8 * c;
                const int grain = static_cast<int>((h >> (8 * c)) & 15) - 8;
                const int value = (inSquare ? 255 - ramp : ramp) + grain;
                bytes[(static_cast<size_t>(y) * 720 + x) * bytesPerPixel + c] =
                    static_cast<uint8_t>(value < 0     ? 0
                                         : value > 255 ? 255
                                                       : value);
            }
        }
    }
    return bytes;
}

// Integer-only contents for the best-quality pins (no floating point, so every target draws
// the same picture). Natural: broad gradients, a soft disc and faint texture, 4:2:2 YUY2.
std::vector<uint8_t> MakeNaturalPicture(int height) {
    std::vector<uint8_t> bytes(static_cast<size_t>(1440) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < 720; ++x) {
            const int dx = x - 430;
            const int dy = y - 250;
            const int d2 = dx * dx + 2 * dy * dy;
            const int disc = d2 < 12000 ? 60 : d2 < 16000 ? 60 * (16000 - d2) / 4000 : 0;
            const int wave = ((x / 2 + y) % 64 < 32 ? (x / 2 + y) % 32 : 31 - (x / 2 + y) % 32);
            const int texture = static_cast<int>((static_cast<uint32_t>(x / 3) * 0x9E3779B1u ^
                                                  static_cast<uint32_t>(y / 3) * 0x85EBCA77u) >>
                                                 29);
            const int luma = 40 + x / 6 + y / 8 + disc + wave + texture;
            const int chroma = x % 2 == 0 ? 100 + y / 6 + disc / 3 : 150 - x / 12 + wave / 2;
            bytes[static_cast<size_t>(y) * 1440 + 2 * x] =
                static_cast<uint8_t>(std::min(luma, 235));
            bytes[static_cast<size_t>(y) * 1440 + 2 * x + 1] = static_cast<uint8_t>(chroma);
        }
    }
    return bytes;
}

// Interlaced motion: a hard-edged bright bar and a striped square that stand 9 pixels
// further right in the bottom field than in the top, over a vertical ramp, 4:2:2 YUY2.
std::vector<uint8_t> MakeInterlacedPicture(int height) {
    std::vector<uint8_t> bytes(static_cast<size_t>(1440) * height);
    for (int y = 0; y < height; ++y) {
        const int shift = y % 2 == 0 ? 0 : 9;
        for (int x = 0; x < 720; ++x) {
            const int u = x - shift;
            const bool bar = u >= 100 && u < 160;
            const bool square = u >= 300 && u < 460 && y >= 120 && y < 330;
            int luma = 50 + y / 4;
            if (bar) luma = 220;
            if (square) luma = (u / 4) % 2 ? 200 : 70;
            const int chroma = x % 2 == 0 ? (square ? 90 : 128 + y / 20) : (bar ? 180 : 120);
            bytes[static_cast<size_t>(y) * 1440 + 2 * x] = static_cast<uint8_t>(luma);
            bytes[static_cast<size_t>(y) * 1440 + 2 * x + 1] = static_cast<uint8_t>(chroma);
        }
    }
    return bytes;
}

enum class Content { kPacked, kNoise, kNatural, kInterlaced };

std::vector<uint8_t> MakeContent(Content content, int bytesPerPixel, int height) {
    switch (content) {
        case Content::kNoise:
            return MakeNoisePicture(720, height, 0x5EED).bytes;
        case Content::kNatural:
            return MakeNaturalPicture(height);
        case Content::kInterlaced:
            return MakeInterlacedPicture(height);
        case Content::kPacked:
            break;
    }
    return MakePackedPicture(bytesPerPixel, height);
}

struct PinCase {
    const char* name;
    Content content;
    unsigned fourcc;
    int bytesPerPixel;
    int height;
    unsigned flags;
    uint64_t hash;
};

const PinCase kCases[] = {
    {"625/50 4:2:0 YUY2", Content::kPacked, DVENC_FOURCC_YUY2, 2, 576, 0, 0xAAC5757DE87BD086},
    {"625/50 4:2:0 YUY2 noise", Content::kNoise, DVENC_FOURCC_YUY2, 2, 576, 0, 0x4D615681796AF79D},
    {"525/60 YUY2", Content::kPacked, DVENC_FOURCC_YUY2, 2, 480, 0, 0xAEEDED3B85677D2E},
    {"525/60 YUY2 noise", Content::kNoise, DVENC_FOURCC_YUY2, 2, 480, 0, 0xA4B48946D8640A7F},
    {"525/60 486 lines YUY2", Content::kPacked, DVENC_FOURCC_YUY2, 2, 486, 0, 0x75E5883F516AC048},
    {"625/50 4:1:1 YUY2", Content::kPacked, DVENC_FOURCC_YUY2, 2, 576, DVENC_FLAG_SMPTE314M,
     0xEE3082D421DD2240},
    {"625/50 4:1:1 YUY2 noise", Content::kNoise, DVENC_FOURCC_YUY2, 2, 576, DVENC_FLAG_SMPTE314M,
     0x162277AC43148F73},
    {"625/50 4:2:0 YUY2 one-pass", Content::kPacked, DVENC_FOURCC_YUY2, 2, 576, DVENC_FLAG_MB_QUANT,
     0x50ACF74CDBD66F43},
    {"525/60 YUY2 one-pass", Content::kPacked, DVENC_FOURCC_YUY2, 2, 480, DVENC_FLAG_MB_QUANT,
     0x29867147455689AB},
    {"625/50 4:2:0 YUY2 swapped wide", Content::kPacked, DVENC_FOURCC_YUY2, 2, 576,
     DVENC_FLAG_SWAP_FIELDS | DVENC_FLAG_WIDE | DVENC_FLAG_NO_HEADER_BLOCK, 0xA84460B2B04210F0},
    {"625/50 4:2:0 UYVY", Content::kPacked, DVENC_FOURCC_UYVY, 2, 576, 0, 0x22131C9596ADBB97},
    {"525/60 UYVY", Content::kPacked, DVENC_FOURCC_UYVY, 2, 480, 0, 0x81AFA9723204BC71},
    {"625/50 4:2:0 BGR4", Content::kPacked, DVENC_FOURCC_BGR4, 4, 576, 0, 0x1E2B78B73A8A7C2C},
    {"625/50 4:1:1 BGR4", Content::kPacked, DVENC_FOURCC_BGR4, 4, 576, DVENC_FLAG_SMPTE314M,
     0xE09F8BCED75C8FA0},
    {"525/60 BGR4", Content::kPacked, DVENC_FOURCC_BGR4, 4, 480, 0, 0xF99142C03BB2C044},
    {"625/50 4:2:0 BGR3", Content::kPacked, DVENC_FOURCC_BGR3, 3, 576, 0, 0x1E2B78B73A8A7C2C},
    {"525/60 R24C", Content::kPacked, DVENC_FOURCC_R24C, 3, 480, 0, 0xE53944F17B16F115},
    {"625/50 4:2:0 BGRA alpha", Content::kPacked, DVENC_FOURCC_BGRA, 4, 576,
     DVENC_FLAG_ALPHA_WEIGHT, 0xA17EE47407223138},
    {"525/60 R32C alpha", Content::kPacked, DVENC_FOURCC_R32C, 4, 480, DVENC_FLAG_ALPHA_WEIGHT,
     0x6D094BD312CCC749},
    {"625/50 4:2:0 VUYA", Content::kPacked, DVENC_FOURCC_VUYA, 4, 576, 0, 0xC448168BC02BBCC4},
    {"525/60 VUYA alpha", Content::kPacked, DVENC_FOURCC_VUYA, 4, 480, DVENC_FLAG_ALPHA_WEIGHT,
     0x1918911B55AE8450},
};

TEST(FramePin, EveryModeAndLayoutKeepsItsExactBytes) {
    for (const PinCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> source = MakeContent(c.content, c.bytesPerPixel, c.height);
        std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES, 0);
        const int length = CompressBuffer_DV(source.data(), 720 * c.bytesPerPixel, frame.data(), 0,
                                             720, c.height, 0, c.flags, c.fourcc);
        ASSERT_GT(length, 0);
        frame.resize(length);
        const uint64_t hash = Fnv1a64(frame);
        EXPECT_EQ(hash, c.hash) << "frame hash 0x" << std::hex << std::uppercase << hash;
    }
}

// The best-quality mode, the command-line tool's default: every system and header form,
// field swap, 16:9, natural, photograph-like, interlaced and noise contents. Each frame is
// encoded on one thread and on a handle's threads (one per processor), which must agree.
const PinCase kBestCases[] = {
    {"625/50 4:2:0 natural", Content::kNatural, DVENC_FOURCC_YUY2, 2, 576, 0, 0xECE8EBC93309541F},
    {"625/50 4:2:0 photograph", Content::kPacked, DVENC_FOURCC_YUY2, 2, 576, 0, 0xDE8ED9D7A614CAA9},
    {"625/50 4:2:0 interlaced", Content::kInterlaced, DVENC_FOURCC_YUY2, 2, 576, 0,
     0x6C6C44693BB0C894},
    {"625/50 4:2:0 noise", Content::kNoise, DVENC_FOURCC_YUY2, 2, 576, 0, 0xD3A191FA1FE43A43},
    {"625/50 4:1:1 natural", Content::kNatural, DVENC_FOURCC_YUY2, 2, 576, DVENC_FLAG_SMPTE314M,
     0x36F60938BAA50648},
    {"625/50 4:1:1 interlaced", Content::kInterlaced, DVENC_FOURCC_YUY2, 2, 576,
     DVENC_FLAG_SMPTE314M, 0xFDF7FEE5C91294C0},
    {"525/60 natural", Content::kNatural, DVENC_FOURCC_YUY2, 2, 480, 0, 0x5A6BC4666A42D6CA},
    {"525/60 photograph", Content::kPacked, DVENC_FOURCC_YUY2, 2, 480, 0, 0xEAE97168B4745984},
    {"525/60 interlaced", Content::kInterlaced, DVENC_FOURCC_YUY2, 2, 480, 0, 0x650A683CD81B453D},
    {"525/60 noise", Content::kNoise, DVENC_FOURCC_YUY2, 2, 480, 0, 0xF7D93645A9DE8B47},
    {"525/60 486 lines photograph", Content::kPacked, DVENC_FOURCC_YUY2, 2, 486, 0,
     0x39D27517D030814E},
    {"625/50 4:2:0 interlaced swapped wide", Content::kInterlaced, DVENC_FOURCC_YUY2, 2, 576,
     DVENC_FLAG_SWAP_FIELDS | DVENC_FLAG_WIDE, 0xB1EBC86857F32BF5},
    {"525/60 photograph swapped wide", Content::kPacked, DVENC_FOURCC_YUY2, 2, 480,
     DVENC_FLAG_SWAP_FIELDS | DVENC_FLAG_WIDE | DVENC_FLAG_NO_HEADER_BLOCK, 0x47E93B3DE0E10830},
    {"625/50 4:2:0 BGR4 photograph", Content::kPacked, DVENC_FOURCC_BGR4, 4, 576, 0,
     0xAA82A45D1BCAD7D4},
};

TEST(FramePin, BestQualityFramesKeepTheirExactBytesOnAnyThreadCount) {
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    for (const PinCase& c : kBestCases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> source = MakeContent(c.content, c.bytesPerPixel, c.height);
        const unsigned flags = c.flags | DVENC_FLAG_BEST_QUALITY;
        std::vector<uint8_t> single(DVENC_MAX_FRAME_BYTES, 0);
        std::vector<uint8_t> threaded(DVENC_MAX_FRAME_BYTES, 0);
        const int singleLength =
            CompressBuffer_DV(source.data(), 720 * c.bytesPerPixel, single.data(), 0, 720, c.height,
                              0, flags | DVENC_FLAG_SINGLE_THREAD, c.fourcc);
        const int threadedLength =
            DVCompressBuffer(handle, source.data(), 720 * c.bytesPerPixel, threaded.data(), 0, 720,
                             c.height, 0, flags, c.fourcc);
        ASSERT_GT(singleLength, 0);
        single.resize(singleLength);
        threaded.resize(threadedLength > 0 ? threadedLength : 0);
        EXPECT_EQ(single, threaded);
        const uint64_t hash = Fnv1a64(single);
        EXPECT_EQ(hash, c.hash) << "frame hash 0x" << std::hex << std::uppercase << hash;
    }
    DVDoneEnc(handle);
}

// Planar layouts: the straight paths (4:2:0 at 625/50, 4:1:1 in the 4:1:1 systems) and the
// converted ones, in both modes. The planes are a ramp-and-grain picture of 720 one-byte
// samples a line, twice the luma plane's lines long.
TEST(FramePin, PlanarFramesKeepTheirExactBytes) {
    const PinCase cases[] = {
        {"625/50 4:2:0 I420", Content::kPacked, DVENC_FOURCC_I420, 1, 576, 0, 0xA97DC905CFA6E69D},
        {"625/50 4:2:0 YV12 best", Content::kPacked, DVENC_FOURCC_YV12, 1, 576,
         DVENC_FLAG_BEST_QUALITY, 0xE53F619337C6840F},
        {"625/50 4:2:0 Y41B", Content::kPacked, DVENC_FOURCC_Y41B, 1, 576, 0, 0x0F1B9F12F219F84A},
        {"625/50 4:1:1 Y41B", Content::kPacked, DVENC_FOURCC_Y41B, 1, 576, DVENC_FLAG_SMPTE314M,
         0x4E33296E00AE44DB},
        {"525/60 Y41B", Content::kPacked, DVENC_FOURCC_Y41B, 1, 480, 0, 0x798B1EE82EA6B6B3},
        {"525/60 486 lines Y41B best", Content::kPacked, DVENC_FOURCC_Y41B, 1, 486,
         DVENC_FLAG_BEST_QUALITY, 0x28D440B3CE16D19F},
        {"525/60 I420", Content::kPacked, DVENC_FOURCC_I420, 1, 480, 0, 0x065013F55E5C1F48},
        {"525/60 Y42B", Content::kPacked, DVENC_FOURCC_Y42B, 1, 480, 0, 0x943DDD32AC7C6436},
    };
    for (const PinCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> planes = MakePackedPicture(1, 2 * c.height);
        std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES, 0);
        const int length = CompressBuffer_DV(planes.data(), 720, frame.data(), 0, 720, c.height, 0,
                                             c.flags, c.fourcc);
        ASSERT_GT(length, 0);
        frame.resize(length);
        const uint64_t hash = Fnv1a64(frame);
        EXPECT_EQ(hash, c.hash) << "frame hash 0x" << std::hex << std::uppercase << hash;
    }
}

}  // namespace
}  // namespace test
}  // namespace encdv
