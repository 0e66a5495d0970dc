// Division of a frame among threads, the event protocol of one-shot and parked workers,
// and the frame completing unchanged when threads or events cannot be created.
#include "driver/frame_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/dv_encoder.h"
#include "api/encoder_handle.h"
#include "enc_dv.h"
#include "fake_reader.h"
#include "platform/test_hooks.h"

namespace encdv::testing {
namespace {

using Bytes = std::vector<uint8_t>;
using platform::test_hooks::LiveCount;
using platform::test_hooks::Resource;

TEST(SequenceSplit, KnownDivisions) {
    struct Case {
        int sequences;
        int threads;
        std::vector<SequenceRange> expected;
    };
    std::vector<Case> cases = {
        {12, 5, {{0, 2}, {2, 5}, {5, 8}, {8, 10}, {10, 12}}},
        {12, 1, {{0, 12}}},
        {10, 3, {{0, 3}, {3, 7}, {7, 10}}},
        {10, 2, {{0, 5}, {5, 10}}},
        {12, 16, {{0, 0}}},
        {10, 16, {{0, 0}}},
    };
    // 16 threads: thread 0 and the threads past the sequence count encode nothing, the
    // others one sequence each.
    for (Case& c : cases) {
        if (c.threads != 16) continue;
        for (int j = 1; j < 16; ++j) {
            c.expected.push_back(j <= c.sequences ? SequenceRange{j - 1, j}
                                                  : SequenceRange{c.sequences, c.sequences});
        }
    }
    for (const Case& c : cases) {
        for (int j = 0; j < c.threads; ++j) {
            const SequenceRange got = SequencesOfThread(c.sequences, c.threads, j);
            EXPECT_EQ(got.first, c.expected[j].first)
                << c.sequences << " on " << c.threads << ", thread " << j;
            EXPECT_EQ(got.end, c.expected[j].end)
                << c.sequences << " on " << c.threads << ", thread " << j;
        }
    }
}

TEST(SequenceSplit, RunsAreContiguousBalancedAndCoverTheFrame) {
    for (int sequences : {10, 12}) {
        for (int n = 1; n <= 16; ++n) {
            int next = 0;
            for (int j = 0; j < n; ++j) {
                const SequenceRange r = SequencesOfThread(sequences, n, j);
                const int count = r.end - r.first;
                EXPECT_EQ(r.first, next) << sequences << " on " << n << ", thread " << j;
                EXPECT_TRUE(count == sequences / n || (j > 0 && count == sequences / n + 1))
                    << sequences << " on " << n << ", thread " << j;
                next = r.end;
            }
            EXPECT_EQ(next, sequences) << sequences << " on " << n;
        }
    }
}

struct ResourceBaseline {
    long threads = LiveCount(Resource::kThread);
    long events = LiveCount(Resource::kEvent);
};

void ExpectNoResourcesLeft(const ResourceBaseline& before) {
    EXPECT_EQ(LiveCount(Resource::kThread), before.threads);
    EXPECT_EQ(LiveCount(Resource::kEvent), before.events);
}

Bytes EncodeOn(WorkerRecord* workers, bool persistent, int mode, uint32_t flags, int threads,
               int* size = nullptr) {
    FakeReader reader(kMaxThreads);
    Bytes out;
    const int bytes = RunFakeFrame({mode, flags, threads}, reader, workers, persistent, out);
    if (size) *size = bytes;
    EXPECT_EQ(reader.badThreadIndex.load(), 0);
    return out;
}

class FrameDriver : public ::testing::Test {
  protected:
    void TearDown() override { platform::test_hooks::Disarm(); }
};

TEST_F(FrameDriver, OutputDoesNotDependOnThreadCountOrWorkerKind) {
    struct ModeCase {
        int mode;
        uint32_t flags;
        int size;
    };
    const ModeCase modes[] = {
        {3, 0, 120000},
        {3, DVENC_FLAG_NO_HEADER_BLOCK, 119200},
        {0, 0, 144000},
        {2, DVENC_FLAG_SMPTE314M | DVENC_FLAG_NO_HEADER_BLOCK, 143040},
    };
    const ResourceBaseline before;
    for (const ModeCase& m : modes) {
        SCOPED_TRACE("mode " + std::to_string(m.mode) + " flags " + std::to_string(m.flags));
        WorkerRecord single[kMaxThreads] = {};
        int size = 0;
        const Bytes reference = EncodeOn(single, false, m.mode, m.flags, 1, &size);
        EXPECT_EQ(size, m.size);
        // One handle's records serve every thread count in turn, growing and shrinking.
        EncoderHandle* handle = CreateEncoderHandle();
        ASSERT_NE(handle, nullptr);
        for (int n : {16, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 3}) {
            WorkerRecord oneShot[kMaxThreads] = {};
            EXPECT_EQ(EncodeOn(oneShot, false, m.mode, m.flags, n), reference)
                << "one-shot, " << n << " threads";
            EXPECT_EQ(EncodeOn(handle->workers, true, m.mode, m.flags, n), reference)
                << "parked, " << n << " threads";
        }
        EXPECT_EQ(LiveCount(Resource::kThread), before.threads + 15);
        DestroyEncoderHandle(handle);
        ExpectNoResourcesLeft(before);
    }
}

TEST_F(FrameDriver, SingleThreadFrameCreatesNoThreadOrEvent) {
    const ResourceBaseline before;
    WorkerRecord workers[kMaxThreads] = {};
    EncodeOn(workers, false, 3, 0, 1);
    platform::test_hooks::ArmFailure(Resource::kThread, 1, 1000);
    platform::test_hooks::ArmFailure(Resource::kEvent, 1, 1000);
    EncoderHandle* handle = CreateEncoderHandle();
    ASSERT_NE(handle, nullptr);
    const Bytes reference = EncodeOn(workers, false, 3, 0, 1);
    EXPECT_EQ(EncodeOn(handle->workers, true, 3, 0, 1), reference);
    EXPECT_EQ(handle->workers[1].threadStarted, 0);
    DestroyEncoderHandle(handle);
    ExpectNoResourcesLeft(before);
}

TEST_F(FrameDriver, ParkedWorkersAreReusedAcrossFramesAndEndedWithTheHandle) {
    const ResourceBaseline before;
    EncoderHandle* handle = CreateEncoderHandle();
    ASSERT_NE(handle, nullptr);
    WorkerRecord* workers = handle->workers;

    const Bytes first = EncodeOn(workers, true, 0, 0, 8);
    EXPECT_EQ(LiveCount(Resource::kThread), before.threads + 7);
    EXPECT_EQ(LiveCount(Resource::kEvent), before.events + 35);
    platform::ThreadHandle threads[kMaxThreads] = {};
    for (int j = 1; j < 8; ++j) {
        EXPECT_EQ(workers[j].threadStarted, 1) << j;
        threads[j] = workers[j].thread;
    }
    EXPECT_EQ(workers[8].threadStarted, 0);

    // A single-thread frame leaves the seven parked; the next 8-thread frame wakes them.
    EXPECT_EQ(EncodeOn(workers, true, 0, 0, 1), first);
    EXPECT_EQ(LiveCount(Resource::kThread), before.threads + 7);
    platform::test_hooks::ArmFailure(Resource::kThread, 1, 1000);
    platform::test_hooks::ArmFailure(Resource::kEvent, 1, 1000);
    EXPECT_EQ(EncodeOn(workers, true, 0, 0, 8), first);
    platform::test_hooks::Disarm();
    EXPECT_EQ(LiveCount(Resource::kThread), before.threads + 7);
    for (int j = 1; j < 8; ++j) EXPECT_EQ(workers[j].thread, threads[j]) << j;

    DestroyEncoderHandle(handle);
    ExpectNoResourcesLeft(before);
}

// Whatever thread or event cannot be created, the frame is the same and nothing leaks or
// hangs; a handle starts the missing threads on a later frame.
TEST_F(FrameDriver, CreationFailuresStillEncodeTheWholeFrame) {
    struct Case {
        const char* name;
        Resource resource;
        long nth;
        long count;
    };
    const Case cases[] = {
        {"first thread", Resource::kThread, 1, 1},
        {"third thread", Resource::kThread, 3, 1},
        {"last thread", Resource::kThread, 7, 1},
        {"every thread", Resource::kThread, 1, 1000},
        {"first event", Resource::kEvent, 1, 1},
        {"an event in the middle", Resource::kEvent, 5, 2},
        {"events 9 to 11", Resource::kEvent, 9, 3},
        {"every event", Resource::kEvent, 1, 1000},
    };
    WorkerRecord reference_records[kMaxThreads] = {};
    const Bytes reference = EncodeOn(reference_records, false, 3, 0, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ResourceBaseline before;
        {
            WorkerRecord workers[kMaxThreads] = {};
            platform::test_hooks::ArmFailure(c.resource, c.nth, c.count);
            EXPECT_EQ(EncodeOn(workers, false, 3, 0, 8), reference) << "one-shot";
            platform::test_hooks::Disarm();
            ExpectNoResourcesLeft(before);
        }
        EncoderHandle* handle = CreateEncoderHandle();
        ASSERT_NE(handle, nullptr);
        platform::test_hooks::ArmFailure(c.resource, c.nth, c.count);
        EXPECT_EQ(EncodeOn(handle->workers, true, 3, 0, 8), reference) << "parked";
        platform::test_hooks::Disarm();
        const long parked = LiveCount(Resource::kThread) - before.threads;
        EXPECT_LT(parked, 7);
        // Every record either owns a thread with all five events or nothing.
        EXPECT_EQ(LiveCount(Resource::kEvent) - before.events, 5 * parked);
        EXPECT_EQ(EncodeOn(handle->workers, true, 3, 0, 8), reference) << "parked, retried";
        EXPECT_EQ(LiveCount(Resource::kThread), before.threads + 7);
        DestroyEncoderHandle(handle);
        ExpectNoResourcesLeft(before);
    }
}

TEST_F(FrameDriver, RefusedFrameLeavesOutputUntouched) {
    CDVEncoder* encoder = CDVEncoder::Create(nullptr);
    ASSERT_NE(encoder, nullptr);
    Bytes output(DVENC_MAX_FRAME_BYTES, 0x33);
    const Bytes source(720 * 2 * 576, 0x80);
    // No system selected yet.
    EXPECT_EQ(EncodeFrameOnThreads(*encoder, output.data(), source.data(), 1440, 720, 576, 0,
                                   kFormatYUY2, 2),
              0);
    EXPECT_EQ(output, Bytes(DVENC_MAX_FRAME_BYTES, 0x33));
    delete encoder;
}

}  // namespace
}  // namespace encdv::testing
