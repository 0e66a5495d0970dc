// The driver with the library's own readers: thread count from the processors, the final
// mode, and refusal without memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "api/dv_encoder.h"
#include "api/encoder_handle.h"
#include "api/initialization.h"
#include "api/plan_frame.h"
#include "driver/frame_driver.h"
#include "enc_dv.h"
#include "platform/test_hooks.h"

namespace encdv {
namespace {

using Bytes = std::vector<uint8_t>;
namespace hooks = platform::test_hooks;

// A seeded YUY2 picture of 720 x 576: ramps plus noise.
Bytes Picture() {
    const uint32_t seed = 20261207;
    std::printf("picture seed %u\n", seed);
    Bytes picture(1440 * 576);
    uint32_t state = seed;
    for (size_t i = 0; i < picture.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        picture[i] = static_cast<uint8_t>(i % 1440 / 3 + i / 2880 + (state >> 27));
    }
    return picture;
}

// As the compress path: the plan, the encoder object, then the driver.
int Encode(EncoderHandle* handle, const Bytes& picture, int height, uint32_t flags, Bytes& out) {
    InitializeLibrary();
    FramePlan plan;
    if (!PlanFrame(720, height, 1440, flags, DVENC_FOURCC_YUY2, &plan)) return 0;
    CDVEncoder* encoder = CDVEncoder::Create(handle, plan);
    if (!encoder) return 0;  // as the compress path does
    const int size = EncodeFrame(encoder->plan, *encoder->pool, picture.data(), out.data());
    delete encoder;
    return size;
}

TEST(FramePath, ThreadCountFollowsProcessorsUpToSixteenWithTheSameFrame) {
    const Bytes picture = Picture();
    const long before = hooks::LiveCount(hooks::Resource::kThread);
    struct Case {
        int processors, height;
        uint32_t flags;
        int size, parked;
    };
    const Case cases[] = {
        {1, 576, DVENC_FLAG_SMPTE314M, 144000, 0},  // 4:1:1 frame-buffered reader
        {8, 576, DVENC_FLAG_SMPTE314M | DVENC_FLAG_SINGLE_THREAD, 144000, 0},
        {3, 576, DVENC_FLAG_SMPTE314M, 144000, 2},
        {32, 576, DVENC_FLAG_SMPTE314M, 144000, 15},
    };
    Bytes reference;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.processors << " processors, flags " << c.flags);
        hooks::ForceProcessorCount(c.processors);
        EncoderHandle* handle = CreateEncoderHandle();
        Bytes out(DVENC_MAX_FRAME_BYTES, 0);
        EXPECT_EQ(Encode(handle, picture, c.height, c.flags, out), c.size);
        EXPECT_EQ(hooks::LiveCount(hooks::Resource::kThread) - before, c.parked);
        if (c.processors == 1) reference = out;
        EXPECT_EQ(out, reference);
        DestroyEncoderHandle(handle);
    }
    hooks::Disarm();
}

// Memory refused to the reader or its 4:1:1 frame buffer: 0 and output untouched; any
// other outcome is the whole frame. Nothing stays allocated.
TEST(FramePath, ReaderWithoutMemoryRefusesTheFrame) {
    const Bytes picture = Picture();
    Bytes reference(DVENC_MAX_FRAME_BYTES, 0x6C);
    ASSERT_EQ(Encode(nullptr, picture, 576, DVENC_FLAG_SMPTE314M, reference), 144000);
    int refused = 0;
    for (long nth = 1; nth <= 6; ++nth) {
        const long before = hooks::LiveCount(hooks::Resource::kAllocation);
        Bytes out(DVENC_MAX_FRAME_BYTES, 0x6C);
        hooks::ArmFailure(hooks::Resource::kAllocation, nth);
        const int size = Encode(nullptr, picture, 576, DVENC_FLAG_SMPTE314M, out);
        hooks::Disarm();
        refused += size == 0;
        EXPECT_EQ(out, size == 0 ? Bytes(DVENC_MAX_FRAME_BYTES, 0x6C) : reference) << nth;
        EXPECT_EQ(hooks::LiveCount(hooks::Resource::kAllocation), before) << nth;
    }
    EXPECT_GE(refused, 4);  // encoder object, its records, the reader, its frame buffer
}

}  // namespace
}  // namespace encdv
