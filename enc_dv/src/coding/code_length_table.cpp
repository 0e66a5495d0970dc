#include "coding/code_length_table.h"

#include "coding/vlc_code_words.h"

namespace encdv {
namespace {

constexpr CodeLengthTable MakeLengthTable(const VlcCode& code) {
    CodeLengthTable table{};
    for (uint32_t d = 1; d < 64; ++d) {
        for (uint32_t a = 1; a <= kLengthAmplitudeCap; ++a) {
            table.bits[d][a] = static_cast<uint8_t>(code.Coefficient(d, a, 0).length);
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

// Built at compile time from the code's list of words.
extern constexpr CodeLengthTable CoefficientCodeLength = MakeLengthTable(VlcCode());

// CoefficientCodeLength rearranged, at compile time.
extern constexpr CodeLengthByAmplitude CoefficientCodeLengthByAmplitude =
    ByAmplitude(CoefficientCodeLength);

}  // namespace encdv
