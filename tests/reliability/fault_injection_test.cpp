// Failures injected through the platform layer: memory refused to the handle, the
// encoder object, its worker records, the reader or its frame block buffer gives a null
// handle or a 0 result with nothing written or left allocated; threads or events refused
// to the frame driver still give the whole frame.
#include <gtest/gtest.h>

#include <cstdio>

#include "enc_dv.h"
#include "platform/test_hooks.h"
#include "reliability/reliability_support.h"

namespace encdv::test {
namespace {

namespace hooks = platform::test_hooks;
using hooks::Resource;

constexpr uint8_t kFill = 0x3C;

struct Mode {
    const char* name;
    int height;
    unsigned flags;
    bool frameBuffered;  // the 4:1:1 readers allocate a frame block buffer
};
const Mode kModes[] = {
    {"625/50 4:2:0", 576, 0, false},
    {"625/50 4:1:1", 576, DVENC_FLAG_SMPTE314M, true},
    {"525/60 4:1:1", 480, 0, true},
};

class FaultInjection : public ::testing::Test {
  protected:
    void SetUp() override { hooks::Disarm(); }
    void TearDown() override { hooks::Disarm(); }
};

TEST_F(FaultInjection, HandleWithoutMemoryOrLockIsNullAndLeavesNothing) {
    const LiveCounts before = LiveCounts::Now();
    // The handle block and its worker records are the two allocations, then the lock.
    struct Case {
        Resource resource;
        long nth;
        bool created;
    };
    const Case cases[] = {{Resource::kAllocation, 1, false},
                          {Resource::kAllocation, 2, false},
                          {Resource::kAllocation, 3, true},
                          {Resource::kLock, 1, false}};
    for (const Case& c : cases) {
        hooks::ArmFailure(c.resource, c.nth);
        DVEncoderHandle* handle = DVNewEnc();
        hooks::Disarm();
        EXPECT_EQ(handle != nullptr, c.created) << "creation " << c.nth;
        DVDoneEnc(handle);
        EXPECT_EQ(LiveCounts::Now(), before) << "creation " << c.nth;
    }
}

// The allocations of one frame, in order: the encoder object, its worker records when no
// handle lends them, the reader, and its frame block buffer in the 4:1:1 modes. Refusing
// any of them refuses the frame; refusing a later one (there is none) would not.
TEST_F(FaultInjection, FrameWithoutMemoryIsRefusedUntouchedAndLeavesNothing) {
    hooks::ForceProcessorCount(4);
    const Bytes picture = SeededPicture(2, 576, 4711);
    for (const Mode& mode : kModes) {
        for (bool withHandle : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << mode.name << (withHandle ? " with" : " without") << " handle");
            DVEncoderHandle* handle = withHandle ? DVNewEnc() : nullptr;
            const int expectedSize =
                mode.height == 480 ? DVENC_FRAME_BYTES_525 : DVENC_FRAME_BYTES_625;
            Bytes reference(DVENC_MAX_FRAME_BYTES, kFill);
            // Also starts the handle's workers, which stay parked from here on.
            ASSERT_EQ(Compress(handle, picture.data(), 1440, reference.data(), 720, mode.height,
                               mode.flags, DVENC_FOURCC_YUY2),
                      expectedSize);
            const LiveCounts before = LiveCounts::Now();

            const long allocations = 1 + (withHandle ? 0 : 1) + 1 + (mode.frameBuffered ? 1 : 0);
            for (long nth = 1; nth <= allocations + 1; ++nth) {
                Bytes out(DVENC_MAX_FRAME_BYTES, kFill);
                hooks::ArmFailure(Resource::kAllocation, nth);
                const int size = Compress(handle, picture.data(), 1440, out.data(), 720,
                                          mode.height, mode.flags, DVENC_FOURCC_YUY2);
                hooks::Disarm();
                hooks::ForceProcessorCount(4);
                if (nth <= allocations) {
                    EXPECT_EQ(size, 0) << "allocation " << nth;
                    EXPECT_EQ(out, Bytes(DVENC_MAX_FRAME_BYTES, kFill)) << "allocation " << nth;
                } else {
                    EXPECT_EQ(size, expectedSize);
                    EXPECT_EQ(out, reference);
                }
                EXPECT_EQ(LiveCounts::Now(), before) << "allocation " << nth;
            }
            DVDoneEnc(handle);
        }
    }
}

// Threads or events refused anywhere in the start of the workers: the calling thread
// encodes the shares that have no thread, so the frame is the same. A handle creates the
// missing workers on its next frame, and DVDoneEnc ends all of them.
TEST_F(FaultInjection, ThreadOrEventFailuresStillGiveTheWholeFrame) {
    const Bytes picture = SeededPicture(4, 576, 1207);
    const unsigned flags = DVENC_FLAG_SMPTE314M;
    Bytes reference(DVENC_MAX_FRAME_BYTES, kFill);
    ASSERT_EQ(CompressBuffer_DV(picture.data(), 2880, reference.data(), 0, 720, 576, 0,
                                flags | DVENC_FLAG_SINGLE_THREAD, DVENC_FOURCC_BGRA),
              DVENC_FRAME_BYTES_625);
    const int processors = 8;
    struct Case {
        Resource resource;
        long nth, count;
    };
    // One-shot workers take 3 events each and persistent ones 5, so events 2, 3, 5 and 7
    // fall inside one worker's set and events 4 and 6 on a boundary.
    const Case cases[] = {
        {Resource::kThread, 1, 1},  {Resource::kThread, 4, 2}, {Resource::kThread, 7, 1},
        {Resource::kThread, 1, 99}, {Resource::kEvent, 1, 1},  {Resource::kEvent, 2, 1},
        {Resource::kEvent, 3, 1},   {Resource::kEvent, 4, 3},  {Resource::kEvent, 5, 1},
        {Resource::kEvent, 6, 1},   {Resource::kEvent, 7, 20}, {Resource::kEvent, 1, 999},
        {Resource::kEvent, 35, 1},
    };
    for (const Case& c : cases) {
        for (bool withHandle : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << (c.resource == Resource::kThread ? "threads " : "events ") << c.nth
                         << " to " << c.nth + c.count - 1
                         << (withHandle ? " with handle" : " without handle"));
            const LiveCounts before = LiveCounts::Now();
            hooks::ForceProcessorCount(processors);
            DVEncoderHandle* handle = withHandle ? DVNewEnc() : nullptr;
            Bytes out(DVENC_MAX_FRAME_BYTES, kFill);
            hooks::ArmFailure(c.resource, c.nth, c.count);
            EXPECT_EQ(Compress(handle, picture.data(), 2880, out.data(), 720, 576, flags,
                               DVENC_FOURCC_BGRA),
                      DVENC_FRAME_BYTES_625);
            hooks::Disarm();
            EXPECT_EQ(out, reference);
            if (withHandle) {
                hooks::ForceProcessorCount(processors);
                out.assign(DVENC_MAX_FRAME_BYTES, kFill);
                EXPECT_EQ(Compress(handle, picture.data(), 2880, out.data(), 720, 576, flags,
                                   DVENC_FOURCC_BGRA),
                          DVENC_FRAME_BYTES_625);
                EXPECT_EQ(out, reference);
                EXPECT_EQ(LiveCounts::Now().threads - before.threads, processors - 1);
                EXPECT_EQ(LiveCounts::Now().events - before.events, 5 * (processors - 1));
                DVDoneEnc(handle);
            }
            EXPECT_EQ(LiveCounts::Now(), before);
            hooks::Disarm();
        }
    }
}

}  // namespace
}  // namespace encdv::test
