#include "coding/block_coder.h"

#include "coding/vlc_tables.h"

namespace encdv {
namespace {

// Appends one table entry to the accumulator and stores every byte completed beyond the
// pending ones; at most 24 code bits plus 8 pending bits fill the 32-bit accumulator.
inline void Emit(uint32_t entry, uint32_t& bits, uint32_t& count, uint8_t*& position) {
    bits |= (entry & ~uint32_t{0xFF}) >> count;
    count += entry & 0xFF;
    if (count > 8) {
        *position++ = static_cast<uint8_t>(bits >> 24);
        bits <<= 8;
        count -= 8;
        if (count > 8) {
            *position++ = static_cast<uint8_t>(bits >> 24);
            bits <<= 8;
            count -= 8;
            if (count > 8) {
                *position++ = static_cast<uint8_t>(bits >> 24);
                bits <<= 8;
                count -= 8;
            }
        }
    }
}

}  // namespace

int CodeBlock(const BlockWork& block, const uint8_t* nonzeroList, BitCursor& cursor) {
    uint8_t* const start = cursor.position;
    uint8_t* position = start;
    const uint32_t dc = static_cast<uint32_t>(block.dc);
    *position++ = static_cast<uint8_t>(dc >> 1);
    uint32_t bits = ((dc & 1) << 31) | (static_cast<uint32_t>(block.dctMode & 1) << 30) |
                    (static_cast<uint32_t>(block.classNumber & 3) << 28);
    uint32_t count = 4;

    const CoefficientWord* coefficients = block.coefficients;
    int previous = 0;
    for (const uint8_t* list = nonzeroList; *list != 0; ++list) {
        const int q = *list;
        const unsigned d = static_cast<unsigned>(q - previous);
        const unsigned word = coefficients[q];
        const unsigned index = 2 * (word & 0xFF) + (word >> 15);
        if (d < 20 && index < 38) {
            Emit(RunAmpCodeTable[d - 1][index], bits, count, position);
        } else {
            Emit(ZeroRunCodeTable[d], bits, count, position);
            Emit(AmplitudeCodeTable[index], bits, count, position);
        }
        previous = q;
    }
    Emit(ZeroRunCodeTable[kEndOfBlockIndex], bits, count, position);
    *position = static_cast<uint8_t>(bits >> 24);

    cursor.pendingCount = count;
    cursor.pendingBits = bits;
    cursor.position = position;
    return static_cast<int>(8 * (position - start) + count);
}

}  // namespace encdv
