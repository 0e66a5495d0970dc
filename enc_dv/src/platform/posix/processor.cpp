// The shared words' atomic operations through the GCC/Clang built-ins.
#include "platform/processor.h"

namespace encdv::platform {

long ExchangeWord(SharedWord* word, long value) {
    return __atomic_exchange_n(word, value, __ATOMIC_SEQ_CST);
}

long LoadWord(SharedWord* word) {
    return __atomic_load_n(word, __ATOMIC_ACQUIRE);
}

long AddToWord(SharedWord* word, long value) {
    return __atomic_add_fetch(word, value, __ATOMIC_SEQ_CST);
}

}  // namespace encdv::platform
