// The shared words' atomic operations through the Windows interlocked functions.
#include "platform/processor.h"

#include <windows.h>

namespace encdv::platform {

long ExchangeWord(SharedWord* word, long value) {
    return InterlockedExchange(word, value);
}

// A locked read: a compare-exchange that never changes the word.
long LoadWord(SharedWord* word) {
    return InterlockedCompareExchange(word, 0, 0);
}

long AddToWord(SharedWord* word, long value) {
    return InterlockedExchangeAdd(word, value) + value;
}

}  // namespace encdv::platform
