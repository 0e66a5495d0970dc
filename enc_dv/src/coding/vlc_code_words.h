#ifndef ENC_DV_CODING_VLC_CODE_WORDS_H
#define ENC_DV_CODING_VLC_CODE_WORDS_H

#include <cstdint>

#include "coding/vlc_code.h"

namespace encdv {

// A string of code bits: the low `length` bits of `bits`, the first bit highest.
struct CodeBits {
    uint32_t bits;
    uint32_t length;
};

// `first` followed by `second`; together they are shorter than 32 bits.
constexpr CodeBits Concatenate(CodeBits first, CodeBits second) {
    return {(first.bits << second.length) | second.bits, first.length + second.length};
}

// Every word of kVlcWords fits its length.
constexpr bool WordsFitTheirLengths() {
    for (const VlcWord& word : kVlcWords) {
        if (word.length == 0 || word.length > 16 || (word.bits >> word.length) != 0) return false;
    }
    return true;
}
static_assert(WordsFitTheirLengths(), "a word of kVlcWords has more bits than its length");

// The code bits the coder emits for each case, looked up from kVlcWords and the field words
// once, when a table is built at compile time.
class VlcCode {
  public:
    constexpr VlcCode() {
        for (const VlcWord& word : kVlcWords) {
            const CodeBits bits{word.bits, word.length};
            if (word.amplitude == 0) {
                zeroRun_[word.run] = bits;
            } else {
                direct_[word.run][word.amplitude] = bits;
            }
        }
        for (uint32_t run = 0; run <= kLongestZeroRun; ++run) {
            if (zeroRun_[run].length == 0) zeroRun_[run] = Field(kLongZeroRunWords, run);
        }
        for (uint32_t amplitude = 1; amplitude <= kLargestAmplitude; ++amplitude) {
            const CodeBits direct = Direct(0, amplitude);
            amplitude_[amplitude] =
                direct.length != 0 ? direct : Field(kEscapedAmplitudeWords, amplitude);
        }
    }

    // The word of `run` zeros and then `amplitude` (1-255) without its sign, or no bits
    // where the code has no such word.
    constexpr CodeBits Direct(uint32_t run, uint32_t amplitude) const {
        return run < kDirectRuns && amplitude < kDirectAmplitudes ? direct_[run][amplitude]
                                                                  : CodeBits{0, 0};
    }

    // The word of `zeros` (1-62) zero coefficients alone; no bits for 0.
    constexpr CodeBits ZeroRun(uint32_t zeros) const {
        return zeros == 0 ? CodeBits{0, 0} : zeroRun_[zeros - 1];
    }

    // The run-0 word of `amplitude` (1-255) with its sign bit.
    constexpr CodeBits Amplitude(uint32_t amplitude, uint32_t sign) const {
        return Concatenate(amplitude_[amplitude], {sign, 1});
    }

    // The code of a coefficient `distance` (1-63) positions after the previous coded one:
    // the word of distance - 1 zeros and its amplitude with the sign where the code has one,
    // otherwise the zero-run word followed by the amplitude's run-0 word.
    constexpr CodeBits Coefficient(uint32_t distance, uint32_t amplitude, uint32_t sign) const {
        const CodeBits direct = Direct(distance - 1, amplitude);
        return direct.length != 0 ? Concatenate(direct, {sign, 1})
                                  : Concatenate(ZeroRun(distance - 1), Amplitude(amplitude, sign));
    }

    static constexpr CodeBits EndOfBlock() {
        return {kEndOfBlockWord.bits, kEndOfBlockWord.length};
    }

  private:
    // Runs 0-14 and amplitudes 1-22 bound the words written out in kVlcWords.
    static constexpr uint32_t kDirectRuns = 15;
    static constexpr uint32_t kDirectAmplitudes = 23;

    static constexpr CodeBits Field(VlcFieldWords words, uint32_t value) {
        return Concatenate({words.prefix, words.prefixLength}, {value, words.fieldLength});
    }

    CodeBits direct_[kDirectRuns][kDirectAmplitudes]{};
    CodeBits zeroRun_[kLongestZeroRun + 1]{};
    CodeBits amplitude_[kLargestAmplitude + 1]{};
};

}  // namespace encdv

#endif
