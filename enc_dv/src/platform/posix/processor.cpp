// Processor primitives through the GCC/Clang built-ins.
#include "platform/processor.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace encdv::platform {

CpuidRegisters ExecuteCpuid(uint32_t leaf) {
#if defined(__i386__) || defined(__x86_64__)
    unsigned a, b, c, d;
    __cpuid_count(leaf, 0, a, b, c, d);
    return {a, b, c, d};
#else
    static_cast<void>(leaf);
    return {0, 0, 0, 0};
#endif
}

uint32_t ReadXcr0() {
#if defined(__i386__) || defined(__x86_64__)
    // The instruction itself: the intrinsic would need XSAVE enabled for the whole file.
    uint32_t low, high;
    __asm__ __volatile__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    static_cast<void>(high);
    return low;
#else
    return 0;
#endif
}

long ExchangeWord(SharedWord* word, long value) {
    return __atomic_exchange_n(word, value, __ATOMIC_SEQ_CST);
}

long LoadWord(SharedWord* word) {
    return __atomic_load_n(word, __ATOMIC_ACQUIRE);
}

long AddToWord(SharedWord* word, long value) {
    return __atomic_add_fetch(word, value, __ATOMIC_SEQ_CST);
}

// The instruction itself: the intrinsic would need MMX enabled for the whole file.
void ClearMmxState() {
#if defined(__i386__) || defined(__x86_64__)
    __asm__ __volatile__("emms");
#endif
}

}  // namespace encdv::platform
