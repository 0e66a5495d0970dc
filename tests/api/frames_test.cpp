#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "enc_dv.h"
#include "support/synthetic_picture.h"

namespace {

// Random bytes enough for any accepted layout at up to 1440 x 576.
std::vector<uint8_t> NoiseSource(uint32_t seed) {
    std::vector<uint8_t> source(1440 * 4 * 576);
    encdv::test::FillXorshiftNoise(source, seed);
    return source;
}

// The frame of one call (empty when refused), with or without a handle.
std::vector<uint8_t> Encode(const std::vector<uint8_t>& source, unsigned fourcc, int height,
                            unsigned flags = 0, int width = 720, int bytesPerPixel = 2,
                            DVEncoderHandle* handle = nullptr) {
    std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, 0x5A);
    const int pitch = width * bytesPerPixel;
    const int n = handle ? DVCompressBuffer(handle, source.data(), pitch, output.data(), 0, width,
                                            height, 0, flags, fourcc)
                         : CompressBuffer_DV(source.data(), pitch, output.data(), 0, width, height,
                                             0, flags, fourcc);
    output.resize(n);
    return output;
}

TEST(Frames, EveryListedFourccGivesAFrameOfItsSystemsSize) {
    const std::vector<uint8_t> source = NoiseSource(1);
    const struct {
        unsigned fourcc;
        int bytesPerPixel;
    } layouts[] = {
        {DVENC_FOURCC_YUY2, 2}, {DVENC_FOURCC_YUYV, 2}, {DVENC_FOURCC_YuYv, 2},
        {DVENC_FOURCC_UYVY, 2}, {DVENC_FOURCC_UyVy, 2}, {DVENC_FOURCC_BGR3, 3},
        {DVENC_FOURCC_BGR4, 4}, {DVENC_FOURCC_BGRA, 4}, {DVENC_FOURCC_VUYA, 4},
        {DVENC_FOURCC_R24C, 3}, {DVENC_FOURCC_R32C, 4},
    };
    const struct {
        int height;
        unsigned flags;
        size_t bytes;
    } sizes[] = {
        {480, 0, 120000},
        {486, 0, 120000},
        {576, 0, 144000},
        {576, DVENC_FLAG_SMPTE314M, 144000},
        {486, DVENC_FLAG_NO_HEADER_BLOCK, 119200},
        {576, DVENC_FLAG_NO_HEADER_BLOCK, 143040},
    };
    for (const auto& layout : layouts) {
        for (const auto& size : sizes) {
            EXPECT_EQ(
                Encode(source, layout.fourcc, size.height, size.flags, 720, layout.bytesPerPixel)
                    .size(),
                size.bytes)
                << std::hex << layout.fourcc << std::dec << " 720x" << size.height;
        }
    }
}

TEST(Frames, AliasFourccsEncodeLikeTheirOriginals) {
    const std::vector<uint8_t> source = NoiseSource(2);
    for (int height : {480, 576}) {
        const std::vector<uint8_t> yuy2 = Encode(source, DVENC_FOURCC_YUY2, height);
        const std::vector<uint8_t> uyvy = Encode(source, DVENC_FOURCC_UYVY, height);
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
    const struct {
        int width, height;
        size_t bytes;
    } cases[] = {
        {720, 480, 120000}, {720, 486, 120000},  {720, 576, 144000}, {720, 600, 144000},
        {721, 576, 144000}, {1440, 576, 144000}, {721, 480, 0},      {720, 481, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(source, DVENC_FOURCC_YUY2, c.height, 0, c.width).size(), c.bytes)
            << c.width << "x" << c.height;
    }
}

TEST(Frames, FlagBitsOutsideTheListChangeNothing) {
    const unsigned listed =
        0x3F | DVENC_FLAG_SINGLE_THREAD | DVENC_FLAG_ALPHA_WEIGHT | DVENC_FLAG_BEST_QUALITY;
    const std::vector<uint8_t> source = NoiseSource(4);
    for (int height : {480, 576}) {
        const std::vector<uint8_t> plain = Encode(source, DVENC_FOURCC_YUY2, height);
        ASSERT_FALSE(plain.empty());
        EXPECT_EQ(Encode(source, DVENC_FOURCC_YUY2, height, ~listed), plain) << height;
    }
}

TEST(Frames, HandleAndConcurrentCallsGiveTheSameFrames) {
    const std::vector<uint8_t> sourceA = NoiseSource(5);
    const std::vector<uint8_t> sourceB = NoiseSource(6);
    const std::vector<uint8_t> frameA = Encode(sourceA, DVENC_FOURCC_YUY2, 576);
    const std::vector<uint8_t> frameB = Encode(sourceB, DVENC_FOURCC_UYVY, 480);
    ASSERT_EQ(frameA.size(), 144000u);
    ASSERT_EQ(frameB.size(), 120000u);

    // With a handle: parked workers reused across frames, the calling thread alone in
    // between; DVDoneEnc ends them (the sanitizer builds see any thread or leak left).
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    for (unsigned flags : {0u, unsigned(DVENC_FLAG_SINGLE_THREAD), 0u})
        EXPECT_EQ(Encode(sourceA, DVENC_FOURCC_YUY2, 576, flags, 720, 2, handle), frameA);

    // Two threads without handles and two sharing one handle, all at once.
    int mismatches[4] = {0, 0, 0, 0};
    auto run = [&](int index, DVEncoderHandle* h) {
        const bool a = index % 2 == 0;
        for (int i = 0; i < 3; ++i) {
            const std::vector<uint8_t> frame =
                a ? Encode(sourceA, DVENC_FOURCC_YUY2, 576, 0, 720, 2, h)
                  : Encode(sourceB, DVENC_FOURCC_UYVY, 480, 0, 720, 2, h);
            if (frame != (a ? frameA : frameB)) ++mismatches[index];
        }
    };
    std::thread threads[] = {std::thread(run, 0, nullptr), std::thread(run, 1, nullptr),
                             std::thread(run, 2, handle), std::thread(run, 3, handle)};
    for (std::thread& t : threads) t.join();
    for (int m : mismatches) EXPECT_EQ(m, 0);
    DVDoneEnc(handle);
}

}  // namespace
