// --threads: the encoder uses one thread per processor the process may run on (at most
// 16), so the tool limits the number of threads by narrowing its processor affinity.
#ifndef DVENC_THREAD_LIMIT_H
#define DVENC_THREAD_LIMIT_H

namespace dvenc {

// Restricts the process to at most count of the processors it may run on now (the
// encoder counts only the first 32). Returns how many remain, or 0 when the affinity
// cannot be read or changed.
int LimitProcessors(int count);

}  // namespace dvenc

#endif
