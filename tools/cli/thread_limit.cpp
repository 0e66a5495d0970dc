#include "cli/thread_limit.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace dvenc {

#if defined(__linux__)
int LimitProcessors(int count) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 0;
    cpu_set_t chosen;
    CPU_ZERO(&chosen);
    int kept = 0;
    for (int cpu = 0; cpu < 32 && kept < count; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            CPU_SET(cpu, &chosen);
            ++kept;
        }
    }
    if (kept == 0) return 0;
    if (sched_setaffinity(0, sizeof chosen, &chosen) != 0) return 0;
    return kept;
}
#else
// Other systems (macOS, the BSDs) give a process no affinity mask to narrow here.
int LimitProcessors(int) {
    return 0;
}
#endif

}  // namespace dvenc
