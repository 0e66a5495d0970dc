// Resource counters and failure injection for tests; one relaxed atomic load per creation
// when nothing is armed.
#include "platform/test_hooks.h"

#include <atomic>

namespace encdv::platform::test_hooks {
namespace {

constexpr int kResourceCount = 4;

struct Counters {
    std::atomic<long> live{0};
    std::atomic<long> attempts{0};
    std::atomic<long> fail_first{0};
    std::atomic<long> fail_count{0};
};

Counters counters[kResourceCount];
std::atomic<int> forced_processor_count{0};

Counters& Of(Resource resource) {
    return counters[static_cast<int>(resource)];
}

}  // namespace

long LiveCount(Resource resource) {
    return Of(resource).live.load();
}

void ArmFailure(Resource resource, long nth, long count) {
    Counters& c = Of(resource);
    c.fail_first.store(0);
    c.attempts.store(0);
    c.fail_count.store(nth > 0 ? count : 0);
    c.fail_first.store(nth > 0 ? nth : 0);
}

void Disarm() {
    for (Counters& c : counters) {
        c.fail_first.store(0);
        c.fail_count.store(0);
        c.attempts.store(0);
    }
    forced_processor_count.store(0);
}

void ForceProcessorCount(int count) {
    forced_processor_count.store(count > 0 ? count : 0);
}

bool AdmitCreation(Resource resource) {
    Counters& c = Of(resource);
    const long first = c.fail_first.load(std::memory_order_relaxed);
    if (first == 0) return true;
    const long attempt = c.attempts.fetch_add(1) + 1;
    return attempt < first || attempt >= first + c.fail_count.load();
}

void NoteCreated(Resource resource) {
    Of(resource).live.fetch_add(1);
}

void NoteReleased(Resource resource) {
    Of(resource).live.fetch_sub(1);
}

int ForcedProcessorCount() {
    return forced_processor_count.load(std::memory_order_relaxed);
}

}  // namespace encdv::platform::test_hooks
