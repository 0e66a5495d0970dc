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

// Creates one resource, checks it is counted while alive, releases it; false when refused.
struct Creator {
    Resource resource;
    bool (*create_and_release)();
};
template <typename Handle>
bool Cycle(Resource resource, Handle handle, void (*release)(Handle)) {
    const bool counted = !handle || test_hooks::LiveCount(resource) > 0;
    release(handle);
    EXPECT_TRUE(counted);
    return handle != nullptr;
}
const Creator kCreators[] = {
    {Resource::kEvent,
     [] { return Cycle(Resource::kEvent, CreateManualResetEvent(), CloseEvent); }},
    {Resource::kLock, [] { return Cycle(Resource::kLock, CreateLock(), DeleteLock); }},
    {Resource::kThread,
     [] { return Cycle(Resource::kThread, StartThread(DoNothing, nullptr), JoinThread); }},
    {Resource::kAllocation,
     [] { return Cycle(Resource::kAllocation, AllocateZeroedMemory(8), FreeMemory); }},
};

TEST(TestHooks, ArmedCreationsFailInTheirWindowAndNothingLeaks) {
    for (const Creator& creator : kCreators) {
        const long live = test_hooks::LiveCount(creator.resource);
        // Creations 2 and 3 after arming fail; the 1st and the 4th succeed.
        test_hooks::ArmFailure(creator.resource, 2, 2);
        EXPECT_TRUE(creator.create_and_release());
        EXPECT_FALSE(creator.create_and_release());
        EXPECT_FALSE(creator.create_and_release());
        EXPECT_TRUE(creator.create_and_release());
        test_hooks::ArmFailure(creator.resource, 1);
        EXPECT_FALSE(creator.create_and_release());
        test_hooks::Disarm();
        EXPECT_TRUE(creator.create_and_release());
        EXPECT_EQ(test_hooks::LiveCount(creator.resource), live);
    }
    // Arming one resource leaves the others alone; freeing null releases nothing.
    test_hooks::ArmFailure(Resource::kEvent, 1, 100);
    EXPECT_TRUE(kCreators[3].create_and_release());
    const long blocks = test_hooks::LiveCount(Resource::kAllocation);
    FreeMemory(nullptr);
    EXPECT_EQ(test_hooks::LiveCount(Resource::kAllocation), blocks);
    test_hooks::Disarm();
}

}  // namespace
}  // namespace encdv::platform
