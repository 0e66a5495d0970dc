// Pins the exact bytes of whole frames, by hash, for every video mode, every row kernel
// family and the flags that change the coded bits. The hashes were taken from the encoder
// before any speed work on its kernels, whose frames the independent decoder had already
// accepted; a change of any output bit must be deliberate and show up here.
#include <gtest/gtest.h>

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

enum class Content { kPacked, kNoise };

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
        const std::vector<uint8_t> source = c.content == Content::kNoise
                                                ? MakeNoisePicture(720, c.height, 0x5EED).bytes
                                                : MakePackedPicture(c.bytesPerPixel, c.height);
        std::vector<uint8_t> frame(DVENC_MAX_FRAME_BYTES, 0);
        const int length = CompressBuffer_DV(source.data(), 720 * c.bytesPerPixel, frame.data(), 0,
                                             720, c.height, 0, c.flags, c.fourcc);
        ASSERT_GT(length, 0);
        frame.resize(length);
        const uint64_t hash = Fnv1a64(frame);
        EXPECT_EQ(hash, c.hash) << "frame hash 0x" << std::hex << std::uppercase << hash;
    }
}

}  // namespace
}  // namespace test
}  // namespace encdv
