#ifndef ENC_DV_CODING_BIT_ESTIMATE_TABLE_H
#define ENC_DV_CODING_BIT_ESTIMATE_TABLE_H

#include <cstdint>

namespace encdv {

constexpr int kShapeCount = 4;
constexpr int kActivityIndexCount = 32;

// Estimated AC code bits of a block by step pattern (0-12), shape (0-3) and activity index
// (0-31), each byte in the small floating-point form that EstimateValue decodes.
extern const uint8_t BitEstimateTable[13][kShapeCount][kActivityIndexCount];

// floor(8 log2 x) for x = 2-31, with entry 1 set to 1 and entry 0 to 0.
extern const uint8_t EstimateLog8[32];

// Decodes one bit-estimate byte: three bits of mantissa (v & 7) and five of exponent (v >> 3).
// The smallest value is 1 (byte 0 means 1 bit, not 0).
constexpr uint32_t DecodeEstimate(uint32_t v) {
    constexpr uint8_t kSmall[8] = {1, 1, 2, 2, 3, 4, 5, 7};
    constexpr uint8_t kMantissa[8] = {8, 9, 9, 10, 11, 12, 13, 15};
    const uint32_t m = v & 7;
    const uint32_t s = v >> 3;
    return s == 0 ? kSmall[m] : (uint32_t{kMantissa[m]} << s) >> 3;
}

// DecodeEstimate of every byte, built at compile time: the selection decodes many estimates
// per macroblock, and one lookup has no data-dependent branch.
struct EstimateValueTable {
    uint32_t value[256];
};

constexpr EstimateValueTable MakeEstimateValueTable() {
    EstimateValueTable table{};
    for (uint32_t v = 0; v < 256; ++v) table.value[v] = DecodeEstimate(v);
    return table;
}

inline constexpr EstimateValueTable kEstimateValues = MakeEstimateValueTable();

// The value of a bit-estimate byte (0-255).
inline uint32_t EstimateValue(uint32_t v) {
    return kEstimateValues.value[v & 0xFF];
}

}  // namespace encdv

#endif
