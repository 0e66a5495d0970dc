// The whole driver path with the library's own readers: thread count from the processor
// count, the final choice of mode, refusals, and frames independent of the thread count.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "api/dv_encoder.h"
#include "api/encoder_handle.h"
#include "api/initialization.h"
#include "driver/frame_driver.h"
#include "enc_dv.h"
#include "platform/test_hooks.h"

namespace encdv {
namespace {

using Bytes = std::vector<uint8_t>;
using platform::test_hooks::LiveCount;
using platform::test_hooks::Resource;

constexpr int kPitch = 720 * 2;

// A YUY2 picture of 576 lines with ramps and a hashed texture, seeded.
Bytes MakePicture(uint32_t seed) {
    Bytes picture(static_cast<std::size_t>(kPitch) * 576);
    uint32_t state = seed;
    for (int y = 0; y < 576; ++y) {
        for (int x = 0; x < kPitch; ++x) {
            state = state * 1664525u + 1013904223u;
            picture[y * kPitch + x] = static_cast<uint8_t>((x / 3 + y / 2) + (state >> 27));
        }
    }
    return picture;
}

// One frame as the common compress path runs it: first choice of system from the size,
// then the driver.
int Encode(EncoderHandle* handle, const Bytes& picture, int height, uint32_t flags, Bytes& output,
           int threads = 0) {
    CDVEncoder* encoder = CDVEncoder::Create(handle);
    if (!encoder) return -1;
    encoder->SelectSystem(height == 480 || height == 486 ? 3 : 0);
    const int size = threads > 0
                         ? EncodeFrameOnThreads(*encoder, output.data(), picture.data(), kPitch,
                                                720, height, flags, kFormatYUY2, threads)
                         : EncodeFrame(*encoder, output.data(), picture.data(), kPitch, 720, height,
                                       flags, kFormatYUY2);
    delete encoder;
    return size;
}

class FramePath : public ::testing::Test {
  protected:
    void SetUp() override {
        std::printf("picture seed %u\n", kSeed);
        picture_ = MakePicture(kSeed);
        InitializeLibrary();  // the thread-count entry comes after it on the compress path
    }
    void TearDown() override { platform::test_hooks::Disarm(); }

    static constexpr uint32_t kSeed = 20261207;
    Bytes picture_;
};

TEST_F(FramePath, FramesDoNotDependOnTheThreadCount) {
    struct Case {
        int height;
        uint32_t flags;
        int size;
    };
    const Case cases[] = {
        {480, 0, 120000},
        {486, DVENC_FLAG_NO_HEADER_BLOCK, 119200},
        {576, 0, 144000},
        {576, DVENC_FLAG_SMPTE314M | DVENC_FLAG_NO_HEADER_BLOCK, 143040},  // 4:1:1 reader
    };
    EncoderHandle* handle = CreateEncoderHandle();
    ASSERT_NE(handle, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.height << " lines, flags " << c.flags);
        Bytes reference(DVENC_MAX_FRAME_BYTES, 0);
        ASSERT_EQ(Encode(nullptr, picture_, c.height, c.flags, reference, 1), c.size);
        for (int n : {2, 3, 5, 16}) {
            Bytes output(DVENC_MAX_FRAME_BYTES, 0);
            EXPECT_EQ(Encode(nullptr, picture_, c.height, c.flags, output, n), c.size);
            EXPECT_EQ(output, reference) << n << " one-shot threads";
            output.assign(DVENC_MAX_FRAME_BYTES, 0);
            EXPECT_EQ(Encode(handle, picture_, c.height, c.flags, output, n), c.size);
            EXPECT_EQ(output, reference) << n << " parked threads";
        }
    }
    DestroyEncoderHandle(handle);
}

TEST_F(FramePath, ThreadCountFollowsProcessorsUpToSixteen) {
    const long before = LiveCount(Resource::kThread);
    Bytes reference(DVENC_MAX_FRAME_BYTES, 0);
    ASSERT_EQ(Encode(nullptr, picture_, 576, 0, reference, 1), 144000);
    struct Case {
        int processors;
        uint32_t flags;
        int parked;  // threads a fresh handle keeps afterwards
    };
    const Case cases[] = {
        {1, 0, 0},
        {8, DVENC_FLAG_SINGLE_THREAD, 0},
        {3, 0, 2},
        {32, 0, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.processors << " processors, flags " << c.flags);
        platform::test_hooks::ForceProcessorCount(c.processors);
        EncoderHandle* handle = CreateEncoderHandle();
        ASSERT_NE(handle, nullptr);
        Bytes output(DVENC_MAX_FRAME_BYTES, 0);
        EXPECT_EQ(Encode(handle, picture_, 576, c.flags, output), 144000);
        EXPECT_EQ(output, reference);
        EXPECT_EQ(LiveCount(Resource::kThread) - before, c.parked);
        DestroyEncoderHandle(handle);
        EXPECT_EQ(LiveCount(Resource::kThread), before);
    }
}

// Memory refused to the reader (or its 4:1:1 frame buffer) gives 0 and no output; any
// other outcome is a whole frame. Nothing is left allocated either way.
TEST_F(FramePath, ReaderWithoutMemoryRefusesTheFrameAndLeavesOutputUntouched) {
    for (uint32_t flags : {0u, uint32_t{DVENC_FLAG_SMPTE314M}}) {
        Bytes reference(DVENC_MAX_FRAME_BYTES, 0x6C);
        ASSERT_EQ(Encode(nullptr, picture_, 576, flags, reference, 3), 144000);
        int refused = 0;
        for (long nth = 1; nth <= 6; ++nth) {
            SCOPED_TRACE(::testing::Message() << "flags " << flags << ", allocation " << nth);
            const long before = LiveCount(Resource::kAllocation);
            Bytes output(DVENC_MAX_FRAME_BYTES, 0x6C);
            platform::test_hooks::ArmFailure(Resource::kAllocation, nth);
            const int size = Encode(nullptr, picture_, 576, flags, output, 3);
            platform::test_hooks::Disarm();
            if (size == 0 || size == -1) {
                ++refused;
                EXPECT_EQ(output, Bytes(DVENC_MAX_FRAME_BYTES, 0x6C));
            } else {
                EXPECT_EQ(size, 144000);
                EXPECT_EQ(output, reference);
            }
            EXPECT_EQ(LiveCount(Resource::kAllocation), before);
        }
        EXPECT_GT(refused, 0);
    }
}

}  // namespace
}  // namespace encdv
