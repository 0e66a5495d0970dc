#include "platform/threads.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <thread>

#include "platform/spin_wait.h"
#include "platform/test_hooks.h"

namespace encdv::platform {
namespace {

struct Rendezvous {
    EventHandle go;
    EventHandle done;
    std::atomic<int> passed{0};
};

unsigned WaitThenReport(void* argument) {
    auto* r = static_cast<Rendezvous*>(argument);
    WaitEvent(r->go);
    r->passed.fetch_add(1);
    SignalEvent(r->done);
    return 0;
}

TEST(PlatformThreads, ManualResetEventReleasesEveryWaiterAndStaysSignalled) {
    Rendezvous r;
    r.go = CreateManualResetEvent();
    r.done = CreateManualResetEvent();
    ASSERT_NE(r.go, nullptr);
    ASSERT_NE(r.done, nullptr);
    ThreadHandle threads[4];
    for (ThreadHandle& t : threads) {
        t = StartThread(WaitThenReport, &r);
        ASSERT_NE(t, nullptr);
    }
    EXPECT_EQ(r.passed.load(), 0);  // nobody passes a non-signalled event
    SignalEvent(r.go);
    for (ThreadHandle t : threads) JoinThread(t);
    EXPECT_EQ(r.passed.load(), 4);
    WaitEvent(r.go);  // still signalled: returns at once
    WaitEvent(r.done);

    // After a reset, a new waiter blocks until the next signal.
    ResetEvent(r.go);
    ThreadHandle late = StartThread(WaitThenReport, &r);
    ASSERT_NE(late, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(r.passed.load(), 4);
    SignalEvent(r.go);
    JoinThread(late);
    EXPECT_EQ(r.passed.load(), 5);
    CloseEvent(r.go);
    CloseEvent(r.done);
}

// The polling phase of an event wait ends as soon as the condition holds, and gives up once
// the clock has moved on by the spin limit.
TEST(PlatformThreads, SpinWaitEndsWhenReadyOrWhenItsTimeIsUp) {
    int polls = 0;
    int64_t now = 1000;
    const auto clock = [&now] { return now; };
    EXPECT_TRUE(SpinUntil([&polls] { return ++polls == 100; }, clock));
    EXPECT_EQ(polls, 100);

    int clockReads = 0;
    const auto ticking = [&now, &clockReads] {
        ++clockReads;
        return now += 10;
    };
    EXPECT_FALSE(SpinUntil([] { return false; }, ticking));
    EXPECT_EQ(clockReads, 1 + kEventSpinMicroseconds / 10);
}

struct Counted {
    LockHandle lock;
    long value = 0;
};

unsigned AddUnderNestedLock(void* argument) {
    auto* c = static_cast<Counted*>(argument);
    for (int i = 0; i < 20000; ++i) {
        EnterLock(c->lock);
        EnterLock(c->lock);  // recursive entry by the owner must not deadlock
        ++c->value;
        LeaveLock(c->lock);
        LeaveLock(c->lock);
    }
    return 0;
}

TEST(PlatformThreads, RecursiveLockExcludesOtherThreads) {
    Counted c;
    c.lock = CreateLock();
    ASSERT_NE(c.lock, nullptr);
    ThreadHandle threads[3];
    for (ThreadHandle& t : threads) t = StartThread(AddUnderNestedLock, &c);
    for (ThreadHandle t : threads) {
        ASSERT_NE(t, nullptr);
        JoinThread(t);
    }
    EXPECT_EQ(c.value, 60000);
    DeleteLock(c.lock);
}

TEST(PlatformThreads, AffinityMaskCountsEveryOneOf32BitsAndNeverZero) {
    struct Case {
        uint32_t mask;
        int count;
    };
    const Case cases[] = {
        {0, 1}, {1, 1}, {0x80000000u, 1}, {0xFFFFFFFFu, 32}, {0x80000001u, 2}, {0xF0F0u, 8},
    };
    for (const Case& c : cases) EXPECT_EQ(CountAffinityMask(c.mask), c.count) << std::hex << c.mask;
}

TEST(PlatformThreads, ProcessorCountFollowsTheAffinityAndTheTestOverride) {
    cpu_set_t original;
    ASSERT_EQ(sched_getaffinity(0, sizeof(original), &original), 0);
    const int available = CPU_COUNT(&original);
    if (available <= 32) {
        EXPECT_EQ(CountProcessors(), available);
    }

    // Bound to a single processor, the count is 1.
    int first = 0;
    while (!CPU_ISSET(first, &original)) ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
    EXPECT_EQ(CountProcessors(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof(original), &original), 0);

    test_hooks::ForceProcessorCount(5);
    EXPECT_EQ(CountProcessors(), 5);
    test_hooks::Disarm();
    if (available <= 32) {
        EXPECT_EQ(CountProcessors(), available);
    }
}

}  // namespace
}  // namespace encdv::platform
