// Processor identification and state, by compiler rather than by system: MSVC's intrinsics,
// or GCC and Clang's built-ins and the instructions themselves (Linux and mingw-w64 alike).
#include "platform/processor.h"

#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
#include <intrin.h>
#include <mmintrin.h>
#elif defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace encdv::platform {

CpuidRegisters ExecuteCpuid(uint32_t leaf) {
#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
    int r[4];
    __cpuidex(r, static_cast<int>(leaf), 0);
    return {static_cast<uint32_t>(r[0]), static_cast<uint32_t>(r[1]), static_cast<uint32_t>(r[2]),
            static_cast<uint32_t>(r[3])};
#elif defined(__i386__) || defined(__x86_64__)
    unsigned a, b, c, d;
    __cpuid_count(leaf, 0, a, b, c, d);
    return {a, b, c, d};
#else
    static_cast<void>(leaf);
    return {0, 0, 0, 0};
#endif
}

uint32_t ReadXcr0() {
#if defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
    return static_cast<uint32_t>(_xgetbv(0));
#elif defined(__i386__) || defined(__x86_64__)
    // The instruction itself: the intrinsic would need XSAVE enabled for the whole file.
    uint32_t low, high;
    __asm__ __volatile__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    static_cast<void>(high);
    return low;
#else
    return 0;
#endif
}

// GCC: the instruction itself, as the intrinsic would need MMX enabled for the whole file.
// 64-bit MSVC has no MMX intrinsics; its code never leaves the processor in MMX state.
void ClearMmxState() {
#if defined(__i386__) || defined(__x86_64__)
    __asm__ __volatile__("emms");
#elif defined(_MSC_VER) && defined(_M_IX86)
    _mm_empty();
#endif
}

}  // namespace encdv::platform
