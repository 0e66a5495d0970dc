#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "enc_dv.h"

namespace {

constexpr int kMaxBytesPerPixel = 4;
constexpr uint8_t kFill = 0x5A;

// Random bytes enough for any accepted layout at 720 x 576 (and wider pictures).
std::vector<uint8_t> NoiseSource(uint32_t seed, size_t bytes = 1440 * kMaxBytesPerPixel * 576) {
    std::vector<uint8_t> source(bytes);
    uint32_t x = seed;
    for (uint8_t& b : source) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x >> 24);
    }
    return source;
}

struct Layout {
    const char* name;
    unsigned fourcc;
    int bytes_per_pixel;
};
const Layout kLayouts[] = {
    {"YUY2", DVENC_FOURCC_YUY2, 2}, {"YUYV", DVENC_FOURCC_YUYV, 2}, {"YuYv", DVENC_FOURCC_YuYv, 2},
    {"UYVY", DVENC_FOURCC_UYVY, 2}, {"UyVy", DVENC_FOURCC_UyVy, 2}, {"BGR3", DVENC_FOURCC_BGR3, 3},
    {"BGR4", DVENC_FOURCC_BGR4, 4}, {"BGRA", DVENC_FOURCC_BGRA, 4}, {"VUYA", DVENC_FOURCC_VUYA, 4},
    {"R24C", DVENC_FOURCC_R24C, 3}, {"R32C", DVENC_FOURCC_R32C, 4},
};

std::vector<uint8_t> Encode(const std::vector<uint8_t>& source, unsigned fourcc, int height,
                            unsigned flags = 0, int width = 720, int bytes_per_pixel = 2,
                            int* result = nullptr) {
    std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, kFill);
    const int n = CompressBuffer_DV(source.data(), width * bytes_per_pixel, output.data(), 0, width,
                                    height, 0, flags, fourcc);
    if (result) *result = n;
    output.resize(n);
    return output;
}

TEST(Frames, EveryListedFourccGivesAFrameOfItsSystemsSize) {
    const std::vector<uint8_t> source = NoiseSource(1);
    struct Size {
        int height;
        unsigned flags;
        int bytes;
    };
    const Size sizes[] = {
        {480, 0, 120000},
        {486, 0, 120000},
        {576, 0, 144000},
        {480, DVENC_FLAG_NO_HEADER_BLOCK, 119200},
        {486, DVENC_FLAG_NO_HEADER_BLOCK, 119200},
        {576, DVENC_FLAG_NO_HEADER_BLOCK, 143040},
        {576, DVENC_FLAG_SMPTE314M, 144000},
    };
    for (const Layout& layout : kLayouts) {
        for (const Size& size : sizes) {
            int result = -1;
            Encode(source, layout.fourcc, size.height, size.flags, 720, layout.bytes_per_pixel,
                   &result);
            EXPECT_EQ(result, size.bytes)
                << layout.name << " 720x" << size.height << " flags " << size.flags;
        }
    }
}

TEST(Frames, AliasFourccsEncodeLikeTheirOriginals) {
    const std::vector<uint8_t> source = NoiseSource(2);
    for (int height : {480, 576}) {
        const std::vector<uint8_t> yuy2 = Encode(source, DVENC_FOURCC_YUY2, height);
        const std::vector<uint8_t> uyvy = Encode(source, DVENC_FOURCC_UYVY, height);
        ASSERT_FALSE(yuy2.empty());
        EXPECT_NE(yuy2, uyvy) << "the byte order of the layout must matter";
        EXPECT_EQ(Encode(source, DVENC_FOURCC_YUYV, height), yuy2) << height;
        EXPECT_EQ(Encode(source, DVENC_FOURCC_YuYv, height), yuy2) << height;
        EXPECT_EQ(Encode(source, DVENC_FOURCC_UyVy, height), uyvy) << height;
    }
}

TEST(Frames, OnlyWidth720At480Or486LinesIs525) {
    // Every other size is encoded as 625/50 and needs 576 source lines; a source with
    // fewer lines is refused rather than read past its end.
    const std::vector<uint8_t> source = NoiseSource(3);
    struct Case {
        int width;
        int height;
        int bytes;
    };
    const Case cases[] = {
        {720, 480, 120000}, {720, 486, 120000},  {720, 576, 144000}, {720, 600, 144000},
        {721, 576, 144000}, {1440, 576, 144000}, {721, 480, 0},      {720, 481, 0},
    };
    for (const Case& c : cases) {
        int result = -1;
        const std::vector<uint8_t> output =
            Encode(source, DVENC_FOURCC_YUY2, c.height, 0, c.width, 2, &result);
        EXPECT_EQ(result, c.bytes) << c.width << "x" << c.height;
    }
}

TEST(Frames, FlagBitsOutsideTheListChangeNothing) {
    const unsigned listed = DVENC_FLAG_SWAP_FIELDS | DVENC_FLAG_MB_QUANT | DVENC_FLAG_WIDE |
                            DVENC_FLAG_SMPTE314M | DVENC_FLAG_NO_HEADER_BLOCK |
                            DVENC_FLAG_VIDEO_ONLY | DVENC_FLAG_SINGLE_THREAD |
                            DVENC_FLAG_ALPHA_WEIGHT;
    const std::vector<uint8_t> source = NoiseSource(4);
    for (int height : {480, 576}) {
        const std::vector<uint8_t> plain = Encode(source, DVENC_FOURCC_YUY2, height);
        ASSERT_FALSE(plain.empty());
        EXPECT_EQ(Encode(source, DVENC_FOURCC_YUY2, height, ~listed), plain) << height;
        EXPECT_EQ(Encode(source, DVENC_FOURCC_YUY2, height, 0x80000000u), plain) << height;
    }
}

TEST(Frames, HandleAndConcurrentCallsGiveTheSameFrames) {
    const std::vector<uint8_t> source_a = NoiseSource(5);
    const std::vector<uint8_t> source_b = NoiseSource(6);
    const std::vector<uint8_t> frame_a = Encode(source_a, DVENC_FOURCC_YUY2, 576);
    const std::vector<uint8_t> frame_b = Encode(source_b, DVENC_FOURCC_UYVY, 480);
    ASSERT_EQ(frame_a.size(), 144000u);
    ASSERT_EQ(frame_b.size(), 120000u);

    // With a handle: parked workers reused across frames, the lone calling thread in
    // between, and everything ended by DVDoneEnc.
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    for (unsigned flags : {0u, unsigned(DVENC_FLAG_SINGLE_THREAD), 0u}) {
        std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, kFill);
        EXPECT_EQ(DVCompressBuffer(handle, source_a.data(), 1440, output.data(), 0, 720, 576, 0,
                                   flags, DVENC_FOURCC_YUY2),
                  144000);
        output.resize(144000);
        EXPECT_EQ(output, frame_a) << "flags " << flags;
    }

    // Two threads without handles, and two threads sharing one handle, at once.
    auto without_handle = [](const std::vector<uint8_t>* source, unsigned fourcc, int height,
                             const std::vector<uint8_t>* expected, int* mismatches) {
        for (int i = 0; i < 3; ++i)
            if (Encode(*source, fourcc, height) != *expected) ++*mismatches;
    };
    auto with_handle = [handle](const std::vector<uint8_t>* source, unsigned fourcc, int height,
                                const std::vector<uint8_t>* expected, int* mismatches) {
        for (int i = 0; i < 3; ++i) {
            std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, kFill);
            const int n = DVCompressBuffer(handle, source->data(), 1440, output.data(), 0, 720,
                                           height, 0, 0, fourcc);
            output.resize(n);
            if (output != *expected) ++*mismatches;
        }
    };
    int mismatches[4] = {0, 0, 0, 0};
    std::thread threads[] = {
        std::thread(without_handle, &source_a, DVENC_FOURCC_YUY2, 576, &frame_a, &mismatches[0]),
        std::thread(without_handle, &source_b, DVENC_FOURCC_UYVY, 480, &frame_b, &mismatches[1]),
        std::thread(with_handle, &source_a, DVENC_FOURCC_YUY2, 576, &frame_a, &mismatches[2]),
        std::thread(with_handle, &source_b, DVENC_FOURCC_UYVY, 480, &frame_b, &mismatches[3]),
    };
    for (std::thread& t : threads) t.join();
    for (int m : mismatches) EXPECT_EQ(m, 0);
    DVDoneEnc(handle);
}

}  // namespace
