#ifndef ENC_DV_PLATFORM_SPIN_PAUSE_H
#define ENC_DV_PLATFORM_SPIN_PAUSE_H

#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64) || defined(_M_ARM64))
#include <intrin.h>
#endif

namespace encdv::platform {

// The processor's own hint for one turn of a spin-wait loop: PAUSE on x86, YIELD on
// AArch64, nothing where the target has no such hint. Inline, as it sits in polling loops.
inline void PauseProcessor() {
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    __asm__ __volatile__("yield" ::: "memory");
#elif defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
    _mm_pause();
#elif defined(_MSC_VER) && defined(_M_ARM64)
    __yield();
#endif
}

}  // namespace encdv::platform

#endif
