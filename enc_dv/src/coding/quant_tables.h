#ifndef ENC_DV_CODING_QUANT_TABLES_H
#define ENC_DV_CODING_QUANT_TABLES_H

#include <cstdint>

namespace encdv {

constexpr int kQuantPatternCount = 13;
constexpr int kAreaCount = 4;
constexpr int kClassCount = 4;
constexpr int kQnoCount = 16;
// Right shifts a step pattern uses (steps 1 to 32).
constexpr int kShiftCount = 6;

// First scan position of each DV area (0-3) and the end of the block: area a holds positions
// kAreaStart[a] to kAreaStart[a + 1] - 1 (area 0 includes the DC slot, which is never coded).
constexpr int kAreaStart[kAreaCount + 1] = {0, 6, 21, 43, 64};

// The AC positions of each area as bits (bit k for position k; the DC slot left out).
constexpr uint64_t AreaPositionBits(int area) {
    const int start = kAreaStart[area];
    const int size = kAreaStart[area + 1] - start;
    return ((~uint64_t{0} >> (64 - size)) << start) & ~uint64_t{1};
}
inline constexpr uint64_t kAreaBits[kAreaCount] = {AreaPositionBits(0), AreaPositionBits(1),
                                                   AreaPositionBits(2), AreaPositionBits(3)};

// The area of each scan position.
struct AreaOfPosition {
    uint8_t area[64];
};
constexpr AreaOfPosition MakeAreaOfPosition() {
    AreaOfPosition table{};
    for (int a = 0; a < kAreaCount; ++a) {
        for (int k = kAreaStart[a]; k < kAreaStart[a + 1]; ++k)
            table.area[k] = static_cast<uint8_t>(a);
    }
    return table;
}
inline constexpr AreaOfPosition kAreaOfPosition = MakeAreaOfPosition();

// Right-shift counts (area 0-3) of the thirteen DV quantization step patterns; steps are
// powers of two. A constant expression, so that the vector kernels take them as template
// arguments.
inline constexpr uint8_t QuantPattern[kQuantPatternCount][kAreaCount] = {
    {0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 1, 1}, {0, 1, 1, 2}, {1, 1, 1, 1},
    {1, 1, 1, 2}, {1, 1, 2, 2}, {1, 2, 2, 3}, {2, 2, 3, 3}, {2, 3, 3, 4},
    {3, 3, 4, 4}, {3, 4, 4, 5}, {4, 4, 5, 5},
};

// Step pattern by class (rows) and QNO 0-15 (IEC 61834-2 steps, with the extra factor 2 of
// class 3 folded into its patterns); QNO 15 is the finest.
inline constexpr uint8_t QuantPatternIndex[kClassCount][kQnoCount] = {
    {7, 7, 6, 6, 3, 3, 2, 2, 1, 0, 0, 0, 0, 0, 0, 0},
    {9, 8, 8, 7, 7, 6, 6, 3, 3, 2, 2, 1, 0, 0, 0, 0},
    {10, 10, 9, 9, 8, 8, 7, 7, 6, 6, 3, 3, 2, 2, 1, 0},
    {12, 11, 11, 10, 10, 9, 9, 8, 8, 7, 7, 6, 6, 5, 4, 4},
};

// QuantPatternIndex by QNO: the step patterns of the four classes at each QNO, as the
// best-quality search walks them.
struct ClassPatterns {
    uint8_t pattern[kQnoCount][kClassCount];
};
constexpr ClassPatterns MakeClassPatterns() {
    ClassPatterns table{};
    for (int q = 0; q < kQnoCount; ++q) {
        for (int c = 0; c < kClassCount; ++c) table.pattern[q][c] = QuantPatternIndex[c][q];
    }
    return table;
}
inline constexpr ClassPatterns kClassPatterns = MakeClassPatterns();

// Right-shift count by area, class number and QNO (QuantPattern through QuantPatternIndex).
extern const int32_t AreaShift[kAreaCount][kClassCount][kQnoCount];

}  // namespace encdv

#endif
