// Division of a frame among threads, parked worker reuse, and frames that complete
// unchanged when threads or events cannot be created.
#include "driver/frame_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "api/encoder_handle.h"
#include "enc_dv.h"
#include "fake_reader.h"
#include "platform/test_hooks.h"

namespace encdv::testing {
namespace {

using Bytes = std::vector<uint8_t>;
namespace hooks = platform::test_hooks;
using hooks::Resource;

long Live(Resource r) {
    return hooks::LiveCount(r);
}

TEST(SequenceSplit, KnownDivisionsAndBalance) {
    // 12 on 5; 10 on 16: thread 0 and threads 11-15 idle, threads 1-10 one each.
    const int twelveOnFive[6] = {0, 2, 5, 8, 10, 12};
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(SequencesOfThread(12, 5, j).first, twelveOnFive[j]);
        EXPECT_EQ(SequencesOfThread(12, 5, j).end, twelveOnFive[j + 1]);
    }
    for (int j = 0; j < 16; ++j) {
        const int first = j == 0 ? 0 : std::min(j - 1, 10);
        EXPECT_EQ(SequencesOfThread(10, 16, j).first, first) << j;
        EXPECT_EQ(SequencesOfThread(10, 16, j).end, j >= 1 && j <= 10 ? first + 1 : first) << j;
    }
}

class FrameDriver : public ::testing::Test {
  protected:
    void TearDown() override { hooks::Disarm(); }
    // The frame as the calling thread alone encodes it.
    Bytes Reference(int mode, uint32_t flags) {
        WorkerPool pool{};
        return Run(mode, flags, 1, pool);
    }
    Bytes Run(int mode, uint32_t flags, int threads, WorkerPool& pool) {
        Bytes out;
        RunFakeFrame(mode, flags, threads, pool, out);
        return out;
    }
    const long threadsBefore_ = Live(Resource::kThread);
    const long eventsBefore_ = Live(Resource::kEvent);
};

TEST_F(FrameDriver, FramesDoNotDependOnThreadCountOrWorkerKind) {
    for (int mode : {3, 0}) {
        const Bytes reference = Reference(mode, DVENC_FLAG_NO_HEADER_BLOCK);
        EncoderHandle* handle = CreateEncoderHandle();
        for (int n = 2; n <= 16; ++n) {
            WorkerPool oneShot{};
            EXPECT_EQ(Run(mode, DVENC_FLAG_NO_HEADER_BLOCK, n, oneShot), reference) << n;
            EXPECT_EQ(Run(mode, DVENC_FLAG_NO_HEADER_BLOCK, 18 - n, *handle->pool), reference)
                << 18 - n << " parked";
        }
        EXPECT_EQ(Live(Resource::kThread), threadsBefore_ + 15);
        DestroyEncoderHandle(handle);
    }
    EXPECT_EQ(Live(Resource::kThread), threadsBefore_);
    EXPECT_EQ(Live(Resource::kEvent), eventsBefore_);
}

// The best-quality search carries its multiplier only within a DIF sequence, so any split of
// the sequences among threads gives the same bytes.
TEST_F(FrameDriver, BestQualityFramesDoNotDependOnThreadCount) {
    const uint32_t flags = DVENC_FLAG_NO_HEADER_BLOCK | DVENC_FLAG_BEST_QUALITY;
    for (int mode : {3, 0, 2}) {
        const Bytes reference = Reference(mode, flags);
        ASSERT_NE(reference, Reference(mode, DVENC_FLAG_NO_HEADER_BLOCK)) << mode;
        for (int n = 2; n <= 16; ++n) {
            WorkerPool oneShot{};
            EXPECT_EQ(Run(mode, flags, n, oneShot), reference) << mode << " on " << n;
        }
    }
}

// 8 threads, then one, then 8 again: the seven parked threads are woken, none created.
TEST_F(FrameDriver, ParkedWorkersAreReusedAndEndedWithTheHandle) {
    const Bytes reference = Reference(0, 0);
    EncoderHandle* handle = CreateEncoderHandle();
    EXPECT_EQ(Run(0, 0, 8, *handle->pool), reference);
    EXPECT_EQ(Run(0, 0, 1, *handle->pool), reference);
    EXPECT_EQ(Live(Resource::kThread), threadsBefore_ + 7);
    hooks::ArmFailure(Resource::kThread, 1, 1000);
    hooks::ArmFailure(Resource::kEvent, 1, 1000);
    EXPECT_EQ(Run(0, 0, 8, *handle->pool), reference);
    for (int j = 1; j < 8; ++j) EXPECT_TRUE(handle->pool->workers[j].threadStarted) << j;
    EXPECT_EQ(Live(Resource::kEvent), eventsBefore_ + 35);
    DestroyEncoderHandle(handle);
    EXPECT_EQ(Live(Resource::kThread), threadsBefore_);
    EXPECT_EQ(Live(Resource::kEvent), eventsBefore_);
}

TEST_F(FrameDriver, CreationFailuresStillEncodeTheWholeFrame) {
    struct Case {
        Resource resource;
        long nth, count;
    };
    const Case cases[] = {{Resource::kThread, 1, 1},  {Resource::kThread, 7, 1},
                          {Resource::kThread, 1, 99}, {Resource::kEvent, 1, 1},
                          {Resource::kEvent, 5, 2},   {Resource::kEvent, 1, 99}};
    const Bytes reference = Reference(3, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "failing from " << c.nth << ", " << c.count);
        WorkerPool oneShot{};
        hooks::ArmFailure(c.resource, c.nth, c.count);
        EXPECT_EQ(Run(3, 0, 8, oneShot), reference);
        EncoderHandle* handle = CreateEncoderHandle();
        hooks::ArmFailure(c.resource, c.nth, c.count);
        EXPECT_EQ(Run(3, 0, 8, *handle->pool), reference);
        hooks::Disarm();
        // A record holds a thread with all five events, or nothing.
        const long parked = Live(Resource::kThread) - threadsBefore_;
        EXPECT_LT(parked, 7);
        EXPECT_EQ(Live(Resource::kEvent) - eventsBefore_, 5 * parked);
        EXPECT_EQ(Run(3, 0, 8, *handle->pool), reference);  // starts the missing ones
        EXPECT_EQ(Live(Resource::kThread), threadsBefore_ + 7);
        DestroyEncoderHandle(handle);
        EXPECT_EQ(Live(Resource::kThread), threadsBefore_);
        EXPECT_EQ(Live(Resource::kEvent), eventsBefore_);
    }
}

}  // namespace
}  // namespace encdv::testing
