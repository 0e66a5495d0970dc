#ifndef ENC_DV_CODING_SHORT_CODE_TABLE_H
#define ENC_DV_CODING_SHORT_CODE_TABLE_H

#include <cstdint>

namespace encdv {

// Row d (distance 1-15 from the previous coded position), entry 2a + s (amplitude a = 1-22,
// sign s): the coefficient's code as RunAmpCodeTable gives it (at most 23 bits), left-aligned
// in bits 63 down, and its length in bits 5..0; the bits between are zero. Entries of
// amplitudes 23-31 (longer codes) hold kNotShortCode alone; row 0 and entries 0 and 1 are
// zero. The block coder combines two entries with shifts and ORs.
struct ShortCodes {
    uint64_t codes[16][64];
};
extern const ShortCodes ShortCodeTable;

// Marks the entries whose code is not in the table.
constexpr uint64_t kNotShortCode = 64;

// Length in bits of a ShortCodeTable entry.
constexpr uint32_t ShortCodeLength(uint64_t entry) {
    return static_cast<uint32_t>(entry & 63);
}

}  // namespace encdv

#endif
