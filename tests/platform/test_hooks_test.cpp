#include "platform/test_hooks.h"

#include <gtest/gtest.h>

#include "platform/memory.h"
#include "platform/threads.h"

namespace encdv::platform {
namespace {

using test_hooks::Resource;

unsigned DoNothing(void*) {
    return 0;
}

class TestHooks : public ::testing::Test {
  protected:
    void TearDown() override { test_hooks::Disarm(); }
};

TEST_F(TestHooks, CountLiveResourcesUntilReleased) {
    const long threads = test_hooks::LiveCount(Resource::kThread);
    const long events = test_hooks::LiveCount(Resource::kEvent);
    const long locks = test_hooks::LiveCount(Resource::kLock);
    const long blocks = test_hooks::LiveCount(Resource::kAllocation);

    ThreadHandle thread = StartThread(DoNothing, nullptr);
    EventHandle event = CreateManualResetEvent();
    LockHandle lock = CreateLock();
    void* a = AllocateMemory(16);
    void* b = AllocateZeroedMemory(16);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kThread), threads + 1);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kEvent), events + 1);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kLock), locks + 1);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kAllocation), blocks + 2);

    JoinThread(thread);
    CloseEvent(event);
    DeleteLock(lock);
    FreeMemory(a);
    FreeMemory(b);
    FreeMemory(nullptr);  // not a release
    EXPECT_EQ(test_hooks::LiveCount(Resource::kThread), threads);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kEvent), events);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kLock), locks);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kAllocation), blocks);
}

TEST_F(TestHooks, ArmedCreationsFailInTheirWindowOnly) {
    // Creations 2 and 3 after arming fail; the 1st and the 4th succeed.
    struct Attempt {
        Resource resource;
        bool (*create_and_release)();
    };
    const Attempt attempts[] = {
        {Resource::kEvent,
         [] {
             EventHandle e = CreateManualResetEvent();
             CloseEvent(e);
             return e != nullptr;
         }},
        {Resource::kLock,
         [] {
             LockHandle l = CreateLock();
             DeleteLock(l);
             return l != nullptr;
         }},
        {Resource::kThread,
         [] {
             ThreadHandle t = StartThread(DoNothing, nullptr);
             JoinThread(t);
             return t != nullptr;
         }},
        {Resource::kAllocation,
         [] {
             void* p = AllocateZeroedMemory(8);
             FreeMemory(p);
             return p != nullptr;
         }},
    };
    for (const Attempt& attempt : attempts) {
        const long live = test_hooks::LiveCount(attempt.resource);
        test_hooks::ArmFailure(attempt.resource, 2, 2);
        EXPECT_TRUE(attempt.create_and_release());
        EXPECT_FALSE(attempt.create_and_release());
        EXPECT_FALSE(attempt.create_and_release());
        EXPECT_TRUE(attempt.create_and_release());
        EXPECT_EQ(test_hooks::LiveCount(attempt.resource), live);
        test_hooks::ArmFailure(attempt.resource, 1);
        EXPECT_FALSE(attempt.create_and_release());
        test_hooks::Disarm();
        EXPECT_TRUE(attempt.create_and_release());
    }
    // Arming one resource leaves the others alone.
    test_hooks::ArmFailure(Resource::kEvent, 1, 100);
    void* p = AllocateMemory(8);
    EXPECT_NE(p, nullptr);
    FreeMemory(p);
}

}  // namespace
}  // namespace encdv::platform
