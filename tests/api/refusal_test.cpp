#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "enc_dv.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;
constexpr uint8_t kFill = 0x5A;

uint32_t Fourcc(const char (&text)[5]) {
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 |
           uint32_t(uint8_t(text[2])) << 16 | uint32_t(uint8_t(text[3])) << 24;
}

bool Untouched(const std::vector<uint8_t>& buffer) {
    for (uint8_t b : buffer)
        if (b != kFill) return false;
    return true;
}

TEST(Refusal, FourccConstantsSpellTheirCharactersLowByteFirst) {
    const struct {
        const char text[5];
        unsigned value;
    } constants[] = {
        {"YUY2", DVENC_FOURCC_YUY2}, {"YUYV", DVENC_FOURCC_YUYV}, {"YuYv", DVENC_FOURCC_YuYv},
        {"UYVY", DVENC_FOURCC_UYVY}, {"UyVy", DVENC_FOURCC_UyVy}, {"BGR3", DVENC_FOURCC_BGR3},
        {"BGR4", DVENC_FOURCC_BGR4}, {"BGRA", DVENC_FOURCC_BGRA}, {"VUYA", DVENC_FOURCC_VUYA},
        {"R24C", DVENC_FOURCC_R24C}, {"R32C", DVENC_FOURCC_R32C},
    };
    for (const auto& c : constants) EXPECT_EQ(Fourcc(c.text), c.value) << c.text;
}

TEST(Refusal, UnknownFourccYieldsZeroAndLeavesOutputUntouched) {
    const std::vector<uint8_t> source(kWidth * 2 * kHeight, 0x80);
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    const uint32_t unknown[] = {
        Fourcc("yuy2"), Fourcc("uyvy"), Fourcc("bgr3"), Fourcc("bgra"),
        Fourcc("vuya"), Fourcc("r24c"), Fourcc("yuyv"), Fourcc("YUy2"),
        Fourcc("2YUY"), Fourcc("i420"), Fourcc("RGB3"), 0,
        0xFFFFFFFF,
    };
    for (uint32_t fourcc : unknown) {
        for (unsigned flags : {0u, unsigned(DVENC_FLAG_SINGLE_THREAD)}) {
            std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, kFill);
            EXPECT_EQ(CompressBuffer_DV(source.data(), kWidth * 2, output.data(), 0, kWidth,
                                        kHeight, 0, flags, fourcc),
                      0)
                << std::hex << fourcc;
            EXPECT_EQ(DVCompressBuffer(handle, source.data(), kWidth * 2, output.data(), 0, kWidth,
                                       kHeight, 0, flags, fourcc),
                      0)
                << std::hex << fourcc;
            EXPECT_TRUE(Untouched(output)) << std::hex << fourcc;
        }
    }
    // The same call with a listed FOURCC succeeds: the refusals came from the FOURCC.
    std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, kFill);
    EXPECT_EQ(DVCompressBuffer(handle, source.data(), kWidth * 2, output.data(), 0, kWidth, kHeight,
                               0, 0, DVENC_FOURCC_YUY2),
              DVENC_FRAME_BYTES_625);
    DVDoneEnc(handle);
}

TEST(Refusal, CallerErrorsYieldZeroAndLeaveOutputUntouched) {
    const std::vector<uint8_t> source(kWidth * 2 * kHeight, 0x80);
    std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, kFill);
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    const uint32_t yuy2 = DVENC_FOURCC_YUY2;
    const int pitch = kWidth * 2;

    EXPECT_EQ(DVCompressBuffer(nullptr, source.data(), pitch, output.data(), 0, kWidth, kHeight, 0,
                               0, yuy2),
              0);
    EXPECT_EQ(
        DVCompressBuffer(handle, nullptr, pitch, output.data(), 0, kWidth, kHeight, 0, 0, yuy2), 0);
    EXPECT_EQ(
        DVCompressBuffer(handle, source.data(), pitch, nullptr, 0, kWidth, kHeight, 0, 0, yuy2), 0);
    EXPECT_EQ(CompressBuffer_DV(nullptr, pitch, output.data(), 0, kWidth, kHeight, 0, 0, yuy2), 0);
    EXPECT_EQ(CompressBuffer_DV(source.data(), pitch, nullptr, 0, kWidth, kHeight, 0, 0, yuy2), 0);
    for (int width : {719, 360, 0, -720}) {
        EXPECT_EQ(
            CompressBuffer_DV(source.data(), pitch, output.data(), 0, width, kHeight, 0, 0, yuy2),
            0)
            << width;
        EXPECT_EQ(DVCompressBuffer(handle, source.data(), pitch, output.data(), 0, width, kHeight,
                                   0, 0, yuy2),
                  0)
            << width;
    }
    EXPECT_TRUE(Untouched(output));
    EXPECT_EQ(DVCompressBuffer(handle, source.data(), pitch, output.data(), 0, kWidth, kHeight, 0,
                               0, yuy2),
              DVENC_FRAME_BYTES_625);
    DVDoneEnc(handle);
}

// The setting names x86 features: elsewhere it is ignored and the same frame comes out.
#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
constexpr bool kX86 = true;
#else
constexpr bool kX86 = false;
#endif

TEST(Refusal, ListWithoutSse2RefusesEveryFrameOnX86) {
    const std::vector<uint8_t> source(kWidth * 2 * kHeight, 0x80);
    std::vector<uint8_t> output(DVENC_MAX_FRAME_BYTES, kFill);
    unsetenv("DVCODEC_CPUFEATURES");
    std::vector<uint8_t> expected(DVENC_MAX_FRAME_BYTES, kFill);
    ASSERT_EQ(CompressBuffer_DV(source.data(), kWidth * 2, expected.data(), 0, kWidth, kHeight, 0,
                                0, DVENC_FOURCC_YUY2),
              DVENC_FRAME_BYTES_625);
    for (const char* setting : {"mmx sse sse3", "AUTO", " auto"}) {
        setenv("DVCODEC_CPUFEATURES", setting, 1);
        std::fill(output.begin(), output.end(), kFill);
        EXPECT_EQ(CompressBuffer_DV(source.data(), kWidth * 2, output.data(), 0, kWidth, kHeight, 0,
                                    0, DVENC_FOURCC_YUY2),
                  kX86 ? 0 : DVENC_FRAME_BYTES_625)
            << setting;
        if (kX86) {
            EXPECT_TRUE(Untouched(output)) << setting;
        } else {
            EXPECT_EQ(output, expected) << setting;
        }
    }
    for (const char* setting : {"sse2", "mmx,SSE2", "auto", ""}) {
        setenv("DVCODEC_CPUFEATURES", setting, 1);
        EXPECT_EQ(CompressBuffer_DV(source.data(), kWidth * 2, output.data(), 0, kWidth, kHeight, 0,
                                    0, DVENC_FOURCC_YUY2),
                  DVENC_FRAME_BYTES_625)
            << setting;
    }
    unsetenv("DVCODEC_CPUFEATURES");
}

}  // namespace
