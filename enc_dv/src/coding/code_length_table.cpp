#include "coding/code_length_table.h"

namespace encdv {
namespace {

// Lengths (sign excluded) of the 82 direct run/amplitude codes of IEC 61834-2, as
// (run, amplitude, bits).
struct DirectCode {
    uint8_t run, amplitude, bits;
};

constexpr DirectCode kDirectCodes[] = {
    {0, 1, 2},   {0, 2, 3},   {1, 1, 4},   {0, 3, 4},   {0, 4, 4},   {2, 1, 5},  {1, 2, 5},
    {0, 5, 5},   {0, 6, 5},   {3, 1, 6},   {4, 1, 6},   {0, 7, 6},   {0, 8, 6},  {5, 1, 7},
    {6, 1, 7},   {2, 2, 7},   {1, 3, 7},   {1, 4, 7},   {0, 9, 7},   {0, 10, 7}, {0, 11, 7},
    {7, 1, 8},   {8, 1, 8},   {9, 1, 8},   {10, 1, 8},  {3, 2, 8},   {4, 2, 8},  {2, 3, 8},
    {1, 5, 8},   {1, 6, 8},   {1, 7, 8},   {0, 12, 8},  {0, 13, 8},  {0, 14, 8}, {0, 15, 8},
    {0, 16, 8},  {0, 17, 8},  {11, 1, 9},  {12, 1, 9},  {13, 1, 9},  {14, 1, 9}, {5, 2, 9},
    {6, 2, 9},   {3, 3, 9},   {4, 3, 9},   {2, 4, 9},   {2, 5, 9},   {1, 8, 9},  {0, 18, 9},
    {0, 19, 9},  {0, 20, 9},  {0, 21, 9},  {0, 22, 9},  {5, 3, 10},  {3, 4, 10}, {3, 5, 10},
    {2, 6, 10},  {1, 9, 10},  {1, 10, 10}, {1, 11, 10}, {6, 3, 11},  {4, 4, 11}, {3, 6, 11},
    {1, 12, 11}, {1, 13, 11}, {1, 14, 11}, {7, 2, 12},  {8, 2, 12},  {9, 2, 12}, {10, 2, 12},
    {7, 3, 12},  {8, 3, 12},  {4, 5, 12},  {3, 7, 12},  {2, 7, 12},  {2, 8, 12}, {2, 9, 12},
    {2, 10, 12}, {2, 11, 12}, {1, 15, 12}, {1, 16, 12}, {1, 17, 12},
};
static_assert(sizeof kDirectCodes / sizeof kDirectCodes[0] == 82, "82 direct codes");

constexpr int DirectBits(int run, int amplitude) {
    for (const DirectCode& code : kDirectCodes) {
        if (code.run == run && code.amplitude == amplitude) return code.bits;
    }
    return 0;
}

// Zero-run code skipping d - 1 zeros: none for d = 1, then 11, 12 or 13 bits.
constexpr int ZeroRunBits(int d) {
    const int k = d - 1;
    return k == 0 ? 0 : k <= 2 ? 11 : k <= 6 ? 12 : 13;
}

// Amplitude code with its sign: the direct run-0 code up to 22, else the 16-bit escape.
constexpr int AmplitudeBits(int amplitude) {
    return amplitude <= 22 ? DirectBits(0, amplitude) + 1 : 16;
}

constexpr CodeLengthTable MakeLengthTable() {
    CodeLengthTable table{};
    for (int d = 1; d < 64; ++d) {
        for (int a = 1; a <= static_cast<int>(kLengthAmplitudeCap); ++a) {
            const int direct = DirectBits(d - 1, a);
            table.bits[d][a] =
                static_cast<uint8_t>(direct ? direct + 1 : ZeroRunBits(d) + AmplitudeBits(a));
        }
    }
    return table;
}

constexpr CodeLengthByAmplitude ByAmplitude(const CodeLengthTable& table) {
    CodeLengthByAmplitude byAmplitude{};
    for (uint8_t& bits : byAmplitude.bits[0]) bits = 255;
    for (unsigned a = 1; a < 256; ++a) {
        for (int d = 1; d < 64; ++d) {
            byAmplitude.bits[a][63 - d] =
                table.bits[d][a < kLengthAmplitudeCap ? a : kLengthAmplitudeCap];
        }
    }
    return byAmplitude;
}

}  // namespace

// Built at compile time from the direct code lengths and the zero-run and amplitude rules.
extern constexpr CodeLengthTable CoefficientCodeLength = MakeLengthTable();

// CoefficientCodeLength rearranged, at compile time.
extern constexpr CodeLengthByAmplitude CoefficientCodeLengthByAmplitude =
    ByAmplitude(CoefficientCodeLength);

}  // namespace encdv
