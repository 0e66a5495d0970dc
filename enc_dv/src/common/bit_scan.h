#ifndef ENC_DV_COMMON_BIT_SCAN_H
#define ENC_DV_COMMON_BIT_SCAN_H

#include <cstdint>

#if defined(_MSC_VER)
#include <intrin.h>
#endif

namespace encdv {

// Index of the lowest set bit of a nonzero x.
inline uint32_t LowestBit(uint64_t x) {
#if defined(_MSC_VER)
    unsigned long index;
    if (_BitScanForward(&index, static_cast<unsigned long>(x))) return index;
    _BitScanForward(&index, static_cast<unsigned long>(x >> 32));
    return index + 32;
#else
    return static_cast<uint32_t>(__builtin_ctzll(x));
#endif
}

// Index of the highest set bit of a nonzero x.
inline uint32_t HighestBit(uint64_t x) {
#if defined(_MSC_VER)
    unsigned long index;
    if (_BitScanReverse(&index, static_cast<unsigned long>(x >> 32))) return index + 32;
    _BitScanReverse(&index, static_cast<unsigned long>(x));
    return index;
#else
    return 63 ^ static_cast<uint32_t>(__builtin_clzll(x));  // one bit scan, where 63 - n takes two
#endif
}

}  // namespace encdv

#endif
