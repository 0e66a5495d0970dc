// Processor primitives through the Windows and compiler intrinsics.
#include "platform/processor.h"

#include <windows.h>

#include <emmintrin.h>
#include <mmintrin.h>
#ifdef _MSC_VER
#include <intrin.h>
#else
#include <cpuid.h>
#endif

namespace encdv::platform {

CpuidRegisters ExecuteCpuid(uint32_t leaf) {
#ifdef _MSC_VER
    int r[4];
    __cpuidex(r, static_cast<int>(leaf), 0);
    return {static_cast<uint32_t>(r[0]), static_cast<uint32_t>(r[1]), static_cast<uint32_t>(r[2]),
            static_cast<uint32_t>(r[3])};
#else
    unsigned a, b, c, d;
    __cpuid_count(leaf, 0, a, b, c, d);
    return {a, b, c, d};
#endif
}

long ExchangeWord(SharedWord* word, long value) {
    return InterlockedExchange(word, value);
}

// A locked read: a compare-exchange that never changes the word.
long LoadWord(SharedWord* word) {
    return InterlockedCompareExchange(word, 0, 0);
}

void PauseProcessor() {
    YieldProcessor();
}

void ClearMmxState() {
    _mm_empty();
}

}  // namespace encdv::platform
