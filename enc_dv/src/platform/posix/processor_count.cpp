// The processors the process may run on, through what the system offers: the affinity
// mask on Linux, the online count of sysctl on macOS and the BSDs, sysconf elsewhere.
#include "platform/test_hooks.h"
#include "platform/threads.h"

#if defined(__linux__)
#include <sched.h>
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__NetBSD__) || defined(__OpenBSD__) || \
    defined(__DragonFly__)
#include <sys/sysctl.h>
#include <sys/types.h>
#else
#include <unistd.h>
#endif

namespace encdv::platform {
namespace {

// A mask with the low `count` bits set, as many processors as the 32-bit mask can name.
[[maybe_unused]] uint32_t LowBits(long count) {
    if (count <= 0) return 0;
    return count >= 32 ? ~uint32_t{0} : (uint32_t{1} << count) - 1;
}

// The affinity seen as a 32-bit mask: only CPUs 0 to 31 count. 0 when unknown.
uint32_t AffinityMask() {
#if defined(__linux__)
    cpu_set_t set;
    CPU_ZERO(&set);
    uint32_t mask = 0;
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        for (int cpu = 0; cpu < 32; ++cpu)
            if (CPU_ISSET(cpu, &set)) mask |= uint32_t{1} << cpu;
    }
    return mask;
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__NetBSD__) || defined(__OpenBSD__) || \
    defined(__DragonFly__)
    // These systems give no per-process mask here; every processor is available.
    int name[2] = {CTL_HW, HW_NCPU};
    int count = 0;
    size_t size = sizeof(count);
    if (sysctl(name, 2, &count, &size, nullptr, 0) != 0) return 0;
    return LowBits(count);
#else
    return LowBits(sysconf(_SC_NPROCESSORS_ONLN));
#endif
}

}  // namespace

int CountProcessors() {
    const int forced = test_hooks::ForcedProcessorCount();
    if (forced > 0) return forced;
    return CountAffinityMask(AffinityMask());
}

}  // namespace encdv::platform
