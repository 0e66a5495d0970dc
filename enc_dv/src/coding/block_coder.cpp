#include "coding/block_coder.h"

#include <cstring>

#include "coding/byte_order.h"
#include "coding/short_code_table.h"
#include "coding/vlc_tables.h"

namespace encdv {
namespace {

// The coefficient's column in the code tables: 2a + s from its 16-bit word, as the word
// rotated left by one bit (amplitude bits up, sign bit down to bit 0) and masked.
inline unsigned TableIndex(unsigned word) {
    const uint16_t w = static_cast<uint16_t>(word);
    return static_cast<uint16_t>((w << 1) | (w >> 15)) & 0x1FFu;
}

// A table entry's code, right after the first skip bits of a 64-bit string.
inline uint64_t CodeAt(uint32_t entry, uint32_t skip) {
    return static_cast<uint64_t>(entry & ~uint32_t{0xFF}) << (32 - skip);
}

// The 12 header bits of a block code, left-aligned in 64 bits: the DC value in two's
// complement (9 bits), the DCT mode and the class number (2 bits).
inline uint64_t BlockHeader(const BlockWork& block) {
    const uint64_t header =
        ((static_cast<uint64_t>(static_cast<uint32_t>(block.dc)) & 0x1FF) << 3) |
        (static_cast<uint64_t>(block.dctMode & 1) << 2) |
        static_cast<uint64_t>(block.classNumber & 3);
    return header << 52;
}

}  // namespace

// Codes the whole block into a store with eight bytes of slack after the code. The
// accumulator keeps 0-7 bits after each step: every step stores all eight of its bytes
// without a branch and moves on by the whole bytes it completed, so it can then take up to
// 57 bits. Two coefficients at a time take that path when both lie well inside the direct
// table (distances below 16, amplitudes below 23: at most 23 bits each); any other
// coefficient goes alone.
int CodeBlockToStore(const BlockWork& block, const uint8_t* list, uint8_t* const start) {
    uint64_t bits = BlockHeader(block);
    uint32_t count = 12;
    uint8_t* position = start;
    const CoefficientWord* const coefficients = block.coefficients;
    unsigned previous = 0;
    for (;;) {
        const unsigned q1 = list[0];
        if (q1 == 0) break;
        const unsigned q2 = list[1];
        const unsigned d1 = q1 - previous;
        const unsigned w1 = coefficients[q1];
        const unsigned i1 = TableIndex(w1);
        // At the list's end q2 reads the DC word, and d2 wraps round to fail the test.
        const unsigned d2 = q2 - q1;
        const unsigned w2 = coefficients[q2];
        const unsigned i2 = TableIndex(w2);
        uint64_t code;
        uint32_t length;
        uint64_t e1;
        uint64_t e2;
        // Both distances below 16 and both amplitudes below 32 (bits 5-7 of the words clear),
        // by power-of-two bounds ORed together; then the table marks amplitudes 23-31.
        if ((d1 | d2 | ((w1 | w2) & 0xE0)) < 16 &&
            (((e1 = ShortCodeTable.codes[d1][i1]) | (e2 = ShortCodeTable.codes[d2][i2])) &
             kNotShortCode) == 0) {
            // The second code shifted past the first; the lengths add up in the low bits
            // (at most 46) and are then masked off the code.
            code = (e1 | (e2 >> ShortCodeLength(e1))) & ~uint64_t{63};
            length = ShortCodeLength(e1 + e2);
            previous = q2;
            list += 2;
        } else {
            // The direct entry when d < 20 and a < 19, else the zero-run code followed by the
            // amplitude code: both are looked up and one is chosen without a branch, as the
            // choice follows the content.
            const bool direct = ((d1 - 20) & (i1 - 38)) >> 31;
            const uint32_t entry = (&RunAmpCodeTable.codes[0][0])[direct ? d1 * 38 + i1 - 38 : 0];
            const uint32_t run = ZeroRunCodeTable.codes[d1];
            const uint32_t amplitude = AmplitudeCodeTable.codes[i1];
            const uint32_t runLength = CodeLength(run);
            const uint64_t escaped = CodeAt(run, 0) | CodeAt(amplitude, runLength);
            code = direct ? CodeAt(entry, 0) : escaped;
            length = direct ? CodeLength(entry) : runLength + CodeLength(amplitude);
            previous = q1;
            list += 1;
        }
        bits |= code >> count;
        count += length;  // at most 7 + 2 * 23 or 12 + 29, below 64
        const uint64_t stored = ByteSwap64(bits);
        std::memcpy(position, &stored, 8);
        position += count >> 3;
        bits <<= count & ~7u;
        count &= 7;
    }
    const uint32_t endOfBlock = ZeroRunCodeTable.codes[kEndOfBlockIndex];
    bits |= CodeAt(endOfBlock, 0) >> count;
    count += CodeLength(endOfBlock);
    const uint64_t stored = ByteSwap64(bits);
    std::memcpy(position, &stored, 8);  // the last bits and zeros after them
    return static_cast<int>(8 * (position - start) + count);
}

}  // namespace encdv
