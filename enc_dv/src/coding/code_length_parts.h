#ifndef ENC_DV_CODING_CODE_LENGTH_PARTS_H
#define ENC_DV_CODING_CODE_LENGTH_PARTS_H

#include <cstdint>

#include "coding/vlc_code_words.h"

namespace encdv {

// The coefficient code lengths of CoefficientCodeLength taken apart into tables of 16 bytes,
// for vector kernels that look up sixteen entries at a time. The code of amplitude a at
// distance d is the zero-run word of d - 1 zeros and a's run-0 word, unless the code has a
// word for both, which saves bits:
//   length(d, a) = amplitude[min(a, 23)] + zeroRun[R(d)]
//                  - (a <= savingLimit[R(d)] ? saving[savingBase[R(d)] + a] : 0),
// R(d) = min(d, 16) mod 16: 16 and above share entry 0, which no d below 16 uses. Sign bits
// included. Built at compile time from the code's words, and checked against them here.
struct CodeLengthParts {
    uint8_t amplitude[32];    // a = 1-22, then 16 (the escape) for 23; entry 0 unused
    uint8_t zeroRun[16];      // by R(d): 0 for d = 1
    uint8_t savingLimit[16];  // by R(d): the largest amplitude with a word for d - 1 zeros
    uint8_t savingBase[16];   // by R(d): where d's savings start in `saving`, less 1
    uint8_t saving[64];       // the bits a word saves, d by d, a by a
};

constexpr CodeLengthParts MakeCodeLengthParts() {
    const VlcCode code;
    CodeLengthParts parts{};
    for (uint32_t a = 1; a <= 23; ++a) {
        parts.amplitude[a] = static_cast<uint8_t>(code.Amplitude(a, 0).length);
    }
    int next = 0;
    for (uint32_t d = 1; d <= 16; ++d) {
        const uint32_t r = d % 16;
        parts.zeroRun[r] = static_cast<uint8_t>(code.ZeroRun(d - 1).length);
        parts.savingBase[r] = static_cast<uint8_t>(next - 1);
        for (uint32_t a = 1; a <= 255; ++a) {
            const uint32_t escaped = code.ZeroRun(d - 1).length + code.Amplitude(a, 0).length;
            const uint32_t length = code.Coefficient(d, a, 0).length;
            if (length == escaped) break;
            parts.savingLimit[r] = static_cast<uint8_t>(a);
            parts.saving[next++] = static_cast<uint8_t>(escaped - length);
        }
    }
    return parts;
}

inline constexpr CodeLengthParts kCodeLengthParts = MakeCodeLengthParts();

// The parts give every length of the code, and the direct words of each run are those of the
// smallest amplitudes (so that a limit per run suffices).
constexpr bool PartsGiveEveryLength() {
    const VlcCode code;
    const CodeLengthParts& p = kCodeLengthParts;
    for (uint32_t d = 1; d < 64; ++d) {
        const uint32_t r = d < 16 ? d : 0;
        for (uint32_t a = 1; a <= 255; ++a) {
            const uint32_t saving =
                a <= p.savingLimit[r] ? p.saving[static_cast<uint8_t>(p.savingBase[r] + a)] : 0;
            const uint32_t length = p.amplitude[a < 23 ? a : 23] + p.zeroRun[r] - saving;
            if (length != code.Coefficient(d, a, 0).length) return false;
        }
    }
    return true;
}
static_assert(PartsGiveEveryLength(), "the code length parts do not give the code's lengths");

}  // namespace encdv

#endif
