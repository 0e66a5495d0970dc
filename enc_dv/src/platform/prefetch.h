#ifndef ENC_DV_PLATFORM_PREFETCH_H
#define ENC_DV_PLATFORM_PREFETCH_H

#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
#include <xmmintrin.h>
#endif

namespace encdv::platform {

// Asks the processor to start loading the cache line that holds `address`; reads nothing,
// never faults. Inline, as the readers call it for every line of a macroblock. On x86 the
// instruction itself: a build for a plain i686 would otherwise drop it, and the readers run
// only once the frame's processor check has passed.
inline void PrefetchForRead(const void* address) {
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    __asm__("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#elif defined(__GNUC__)
    __builtin_prefetch(address, 0, 3);
#elif defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    static_cast<void>(address);
#endif
}

}  // namespace encdv::platform

#endif
