#ifndef ENC_DV_CODING_VLC_TABLES_H
#define ENC_DV_CODING_VLC_TABLES_H

#include <cstdint>

namespace encdv {

// Every entry holds a code of the IEC 61834-2 variable-length code left-aligned in bits 31..8
// (first code bit in bit 31) and its length in bits 7..0; a length of 0 emits nothing.

// Row d - 1 (distance d = 1-19 from the previous coded position), entry 2a + s (amplitude
// a = 0-18, sign s): the direct run/amplitude code plus sign where one exists, otherwise the
// zero-run code for d followed by the amplitude code. The a = 0 entries hold the zero-run code.
struct RunAmpCodes {
    uint32_t codes[19][38];
};
extern const RunAmpCodes RunAmpCodeTable;

// Entry d (2-63) skips d - 1 zero coefficients; entry 1 is empty; entry 64 is the end-of-block
// code; entry 0 is unused.
struct ZeroRunCodes {
    uint32_t codes[65];
};
extern const ZeroRunCodes ZeroRunCodeTable;

// Entry 2a + s: the run-0 code of amplitude a (0-255) followed by the sign s; entry 0 is empty.
struct AmplitudeCodes {
    uint32_t codes[512];
};
extern const AmplitudeCodes AmplitudeCodeTable;

constexpr int kEndOfBlockIndex = 64;

// Length in bits of a table entry.
constexpr int CodeLength(uint32_t entry) {
    return static_cast<int>(entry & 0xFF);
}

}  // namespace encdv

#endif
