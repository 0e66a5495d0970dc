#if defined(__linux__)
#define _GNU_SOURCE
#include <sched.h>
#endif

#include "dvenc_threads.h"

#include <string.h>

#if defined(__linux__)
G_STATIC_ASSERT(sizeof(cpu_set_t) <= sizeof(((DvencThreadLimit*)0)->saved));

void dvenc_threads_narrow(DvencThreadLimit* limit, gint threads) {
    cpu_set_t allowed;
    limit->narrowed = FALSE;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    if (CPU_COUNT(&allowed) <= threads) return;
    cpu_set_t chosen;
    CPU_ZERO(&chosen);
    /* The library counts processors 0 to 31 only. */
    for (gint cpu = 0, kept = 0; cpu < 32 && kept < threads; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            CPU_SET(cpu, &chosen);
            ++kept;
        }
    }
    memcpy(limit->saved, &allowed, sizeof allowed);
    limit->narrowed = sched_setaffinity(0, sizeof chosen, &chosen) == 0;
}

void dvenc_threads_restore(DvencThreadLimit* limit) {
    if (!limit->narrowed) return;
    cpu_set_t saved;
    memcpy(&saved, limit->saved, sizeof saved);
    sched_setaffinity(0, sizeof saved, &saved);
    limit->narrowed = FALSE;
}
#else
void dvenc_threads_narrow(DvencThreadLimit* limit, gint threads) {
    (void)threads;
    limit->narrowed = FALSE;
}

void dvenc_threads_restore(DvencThreadLimit* limit) {
    limit->narrowed = FALSE;
}
#endif
