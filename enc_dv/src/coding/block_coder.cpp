#include "coding/block_coder.h"

#include <cstring>

#include "coding/byte_order.h"
#include "coding/vlc_tables.h"

namespace encdv {
namespace {

// The bit writer keeps 0-31 bits left-aligned in a 64-bit accumulator and stores them four
// bytes at a time, so a code costs one shift, one OR and one well-predicted branch.
struct BitWriter {
    uint64_t bits;
    uint32_t count;
    uint8_t* position;

    // Appends length (1-32) bits given left-aligned in code. kAlwaysStore: without a
    // branch, storing the top four bytes whether or not they are complete (a later store
    // overwrites them), for a destination that may take bytes past the code.
    template <bool kAlwaysStore = false>
    inline void Put(uint64_t code, uint32_t length) {
        bits |= code >> count;
        count += length;
        if (kAlwaysStore) {
            const uint32_t word = ByteSwap(static_cast<uint32_t>(bits >> 32));
            std::memcpy(position, &word, 4);
            const uint32_t full = count >> 5;  // count < 64
            position += 4 * full;
            bits <<= 32 * full;
            count -= 32 * full;
        } else if (count >= 32) {
            const uint32_t word = ByteSwap(static_cast<uint32_t>(bits >> 32));
            std::memcpy(position, &word, 4);  // most significant byte first
            position += 4;
            bits <<= 32;
            count -= 32;
        }
    }
};

// A table entry's code, left-aligned in 64 bits.
inline uint64_t Code(uint32_t entry) {
    return static_cast<uint64_t>(entry >> 8) << 40;
}

// Codes the block; with kPrefix, stops coding once every byte before stop is complete. With
// kLooseEnd, ends by storing the whole accumulator (up to eight bytes, the bits after the
// code zero) and leaves the cursor as it is.
template <bool kPrefix, bool kLooseEnd = false>
int CodeBlockUpTo(const BlockWork& block, const uint8_t* nonzeroList, BitCursor& cursor,
                  const uint8_t* stop) {
    uint8_t* const start = cursor.position;
    // Header: DC in two's complement (9 bits), DCT mode, class number (2 bits).
    const uint64_t header =
        ((static_cast<uint64_t>(static_cast<uint32_t>(block.dc)) & 0x1FF) << 3) |
        (static_cast<uint64_t>(block.dctMode & 1) << 2) |
        static_cast<uint64_t>(block.classNumber & 3);
    BitWriter writer{header << 52, 12, start};

    const CoefficientWord* coefficients = block.coefficients;
    unsigned previous = 0;
    for (const uint8_t* list = nonzeroList; *list != 0; ++list) {
        const unsigned q = *list;
        const unsigned d = q - previous;
        const unsigned word = coefficients[q];
        const unsigned index = 2 * (word & 0xFF) + (word >> 15);
        // d < 20 and index < 38 at once: both differences below zero.
        if (((d - 20) & (index - 38)) >> 31) {
            const uint32_t entry = (&RunAmpCodeTable[0][0])[d * 38 + index - 38];
            writer.Put<kLooseEnd>(Code(entry), CodeLength(entry));
        } else {
            // Zero-run code (at most 13 bits) and amplitude code (at most 16) as one string.
            const uint32_t run = ZeroRunCodeTable[d];
            const uint32_t amplitude = AmplitudeCodeTable[index];
            const uint32_t runLength = CodeLength(run);
            writer.Put<kLooseEnd>(Code(run) | (Code(amplitude) >> runLength),
                                  runLength + CodeLength(amplitude));
        }
        previous = q;
        if (kPrefix && writer.position >= stop) break;
    }
    const uint32_t endOfBlock = ZeroRunCodeTable[kEndOfBlockIndex];
    writer.Put(Code(endOfBlock), CodeLength(endOfBlock));
    if (kLooseEnd) {
        const uint32_t high = ByteSwap(static_cast<uint32_t>(writer.bits >> 32));
        const uint32_t low = ByteSwap(static_cast<uint32_t>(writer.bits));
        std::memcpy(writer.position, &high, 4);
        std::memcpy(writer.position + 4, &low, 4);
        return static_cast<int>(8 * (writer.position - start) + writer.count);
    }

    // Store the remaining whole bytes but keep the last 1-8 bits pending, their byte stored.
    uint64_t bits = writer.bits;
    uint32_t count = writer.count;
    uint8_t* position = writer.position;
    if (count == 0) {
        --position;
        bits = static_cast<uint64_t>(*position) << 56;
        count = 8;
    }
    while (count > 8) {
        *position++ = static_cast<uint8_t>(bits >> 56);
        bits <<= 8;
        count -= 8;
    }
    *position = static_cast<uint8_t>(bits >> 56);

    cursor.pendingCount = count;
    cursor.pendingBits = static_cast<uint32_t>(bits >> 32);
    cursor.position = position;
    return static_cast<int>(8 * (position - start) + count);
}

}  // namespace

int CodeBlock(const BlockWork& block, const uint8_t* nonzeroList, BitCursor& cursor) {
    return CodeBlockUpTo<false>(block, nonzeroList, cursor, nullptr);
}

int CodeBlockToStore(const BlockWork& block, const uint8_t* nonzeroList, uint8_t* store) {
    BitCursor cursor{0, 0, store, 0};
    return CodeBlockUpTo<false, true>(block, nonzeroList, cursor, nullptr);
}

void CodeBlockPrefix(const BlockWork& block, const uint8_t* nonzeroList, BitCursor& cursor,
                     int bits) {
    CodeBlockUpTo<true>(block, nonzeroList, cursor, cursor.position + (bits + 7) / 8);
}

}  // namespace encdv
