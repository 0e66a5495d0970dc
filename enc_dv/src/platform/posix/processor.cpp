// Processor primitives through the GCC/Clang built-ins.
#include <cpuid.h>
#include <emmintrin.h>
#include <mmintrin.h>

#include "platform/processor.h"

namespace encdv::platform {

CpuidRegisters ExecuteCpuid(uint32_t leaf) {
    unsigned a, b, c, d;
    __cpuid_count(leaf, 0, a, b, c, d);
    return {a, b, c, d};
}

long ExchangeWord(SharedWord* word, long value) {
    return __atomic_exchange_n(word, value, __ATOMIC_SEQ_CST);
}

long LoadWord(SharedWord* word) {
    return __atomic_load_n(word, __ATOMIC_ACQUIRE);
}

void PauseProcessor() {
    _mm_pause();
}

void ClearMmxState() {
    _mm_empty();
}

}  // namespace encdv::platform
