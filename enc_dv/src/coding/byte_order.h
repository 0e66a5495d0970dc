#ifndef ENC_DV_CODING_BYTE_ORDER_H
#define ENC_DV_CODING_BYTE_ORDER_H

#include <cstdint>
#if defined(_MSC_VER)
#include <stdlib.h>
#endif

namespace encdv {

// Reverses the bytes of a 32-bit word: the coded stream is written most significant byte
// first on a little-endian processor.
inline uint32_t ByteSwap(uint32_t x) {
#if defined(_MSC_VER)
    return _byteswap_ulong(x);
#else
    return __builtin_bswap32(x);
#endif
}

// Reverses the bytes of a 64-bit word.
inline uint64_t ByteSwap64(uint64_t x) {
#if defined(_MSC_VER)
    return _byteswap_uint64(x);
#else
    return __builtin_bswap64(x);
#endif
}

}  // namespace encdv

#endif
