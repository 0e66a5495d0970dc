#ifndef ENC_DV_CODING_CODE_LENGTH_TABLE_H
#define ENC_DV_CODING_CODE_LENGTH_TABLE_H

#include <cstdint>

namespace encdv {

// Amplitudes from this one up all take the 16-bit escape code, so the table stops here.
constexpr unsigned kLengthAmplitudeCap = 23;

// Bits of the code of one coefficient at distance d (1-63) from the previously coded
// position with amplitude a (1-23, a capped at 23), sign included, as the segment coder
// emits it: the direct run/amplitude code of IEC 61834-2 where one exists, otherwise the
// zero-run code for d followed by the amplitude code. Row 0 and column 0 are unused.
struct CodeLengthTable {
    uint8_t bits[64][kLengthAmplitudeCap + 1];
};
extern const CodeLengthTable CoefficientCodeLength;

inline uint32_t CoefficientCodeBits(uint32_t d, uint32_t a) {
    return CoefficientCodeLength.bits[d][a < kLengthAmplitudeCap ? a : kLengthAmplitudeCap];
}

// The same lengths by amplitude (0-255), then 63 - d, for loops that walk the positions
// backwards holding a coefficient at q: the length of its code after position p is
// bits[a] + 63 - q, indexed by p. Column 63 (d = 0) is zero, and row 0 (amplitude 0, never
// coded) holds 255, more than any code, so that lowering an amplitude of 1 never saves bits.
struct CodeLengthByAmplitude {
    uint8_t bits[256][64];
};
extern const CodeLengthByAmplitude CoefficientCodeLengthByAmplitude;

}  // namespace encdv

#endif
