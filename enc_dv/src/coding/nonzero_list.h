#ifndef ENC_DV_CODING_NONZERO_LIST_H
#define ENC_DV_CODING_NONZERO_LIST_H

#include <cstdint>
#include <cstring>

namespace encdv {

// For every byte value, the indices (0-7) of its set bits in ascending order, one per byte
// from the lowest byte of a little-endian word.
struct SetBitTable {
    uint64_t positions[256];
};

inline constexpr SetBitTable MakeSetBitTable() {
    SetBitTable table{};
    for (int value = 0; value < 256; ++value) {
        int count = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if ((value >> bit) & 1)
                table.positions[value] |= static_cast<uint64_t>(bit) << (8 * count++);
        }
    }
    return table;
}

inline constexpr SetBitTable kSetBits = MakeSetBitTable();

// Writes the ascending positions 1-63 of the bits set in `nonzero` (bit k for word k; bit 0,
// the DC slot, is ignored), then a 0 byte, into the 64-byte list; the bytes after the 0 byte
// are overwritten with anything. Shared by every instruction set's BuildNonzeroList kernel.
inline void WriteNonzeroList(uint64_t nonzero, uint8_t* list) {
    nonzero &= ~uint64_t{1};  // the DC slot is never listed
    // Eight positions at a time without a branch: all eight bytes of a group are stored at
    // the group's offset in the list. The offsets come from the set bits counted in every
    // byte of the mask at once, so no store waits for the one before it. Group g holds at
    // most 8g - 1 positions before it, so the stores stay inside the 64-byte list.
    constexpr uint64_t kEveryByte = 0x0101010101010101u;
    uint64_t counts = nonzero - ((nonzero >> 1) & 0x5555555555555555u);
    counts = (counts & 0x3333333333333333u) + ((counts >> 2) & 0x3333333333333333u);
    counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    const uint64_t ends = counts * kEveryByte;  // byte g: positions in groups 0 to g
    const uint64_t starts = ends << 8;
    for (int group = 0; group < 8; ++group) {
        const unsigned bits = static_cast<unsigned>(nonzero >> (8 * group)) & 0xFF;
        const uint64_t positions = kSetBits.positions[bits] + kEveryByte * (8 * group);
        std::memcpy(list + ((starts >> (8 * group)) & 0xFF), &positions, sizeof positions);
    }
    list[ends >> 56] = 0;
}

}  // namespace encdv

#endif
