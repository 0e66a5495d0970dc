#ifndef ENC_DV_CODING_VLC_CODE_H
#define ENC_DV_CODING_VLC_CODE_H

#include <cstdint>

namespace encdv {

// A word of the code: `run` zero coefficients and then one of `amplitude`, coded as the
// low `length` bits of `bits`; a sign bit (1 for negative) follows every nonzero amplitude.
// Amplitude 0 codes zeros alone: run r stands for r + 1 zero coefficients.
struct VlcWord {
    uint8_t run;
    uint8_t amplitude;
    uint16_t bits;
    uint8_t length;
};

// The AC coefficient code of IEC 61834-2, word by word: (run, amplitude, code, length).
inline constexpr VlcWord kVlcWords[] = {
    {0, 1, 0b00, 2},
    {0, 2, 0b010, 3},
    {1, 1, 0b0111, 4},
    {0, 3, 0b1000, 4},
    {0, 4, 0b1001, 4},
    {2, 1, 0b10100, 5},
    {1, 2, 0b10101, 5},
    {0, 5, 0b10110, 5},
    {0, 6, 0b10111, 5},
    {3, 1, 0b110000, 6},
    {4, 1, 0b110001, 6},
    {0, 7, 0b110010, 6},
    {0, 8, 0b110011, 6},
    {5, 1, 0b1101000, 7},
    {6, 1, 0b1101001, 7},
    {2, 2, 0b1101010, 7},
    {1, 3, 0b1101011, 7},
    {1, 4, 0b1101100, 7},
    {0, 9, 0b1101101, 7},
    {0, 10, 0b1101110, 7},
    {0, 11, 0b1101111, 7},
    {7, 1, 0b11100000, 8},
    {8, 1, 0b11100001, 8},
    {9, 1, 0b11100010, 8},
    {10, 1, 0b11100011, 8},
    {3, 2, 0b11100100, 8},
    {4, 2, 0b11100101, 8},
    {2, 3, 0b11100110, 8},
    {1, 5, 0b11100111, 8},
    {1, 6, 0b11101000, 8},
    {1, 7, 0b11101001, 8},
    {0, 12, 0b11101010, 8},
    {0, 13, 0b11101011, 8},
    {0, 14, 0b11101100, 8},
    {0, 15, 0b11101101, 8},
    {0, 16, 0b11101110, 8},
    {0, 17, 0b11101111, 8},
    {11, 1, 0b111100000, 9},
    {12, 1, 0b111100001, 9},
    {13, 1, 0b111100010, 9},
    {14, 1, 0b111100011, 9},
    {5, 2, 0b111100100, 9},
    {6, 2, 0b111100101, 9},
    {3, 3, 0b111100110, 9},
    {4, 3, 0b111100111, 9},
    {2, 4, 0b111101000, 9},
    {2, 5, 0b111101001, 9},
    {1, 8, 0b111101010, 9},
    {0, 18, 0b111101011, 9},
    {0, 19, 0b111101100, 9},
    {0, 20, 0b111101101, 9},
    {0, 21, 0b111101110, 9},
    {0, 22, 0b111101111, 9},
    {5, 3, 0b1111100000, 10},
    {3, 4, 0b1111100001, 10},
    {3, 5, 0b1111100010, 10},
    {2, 6, 0b1111100011, 10},
    {1, 9, 0b1111100100, 10},
    {1, 10, 0b1111100101, 10},
    {1, 11, 0b1111100110, 10},
    {0, 0, 0b11111001110, 11},
    {1, 0, 0b11111001111, 11},
    {6, 3, 0b11111010000, 11},
    {4, 4, 0b11111010001, 11},
    {3, 6, 0b11111010010, 11},
    {1, 12, 0b11111010011, 11},
    {1, 13, 0b11111010100, 11},
    {1, 14, 0b11111010101, 11},
    {2, 0, 0b111110101100, 12},
    {3, 0, 0b111110101101, 12},
    {4, 0, 0b111110101110, 12},
    {5, 0, 0b111110101111, 12},
    {7, 2, 0b111110110000, 12},
    {8, 2, 0b111110110001, 12},
    {9, 2, 0b111110110010, 12},
    {10, 2, 0b111110110011, 12},
    {7, 3, 0b111110110100, 12},
    {8, 3, 0b111110110101, 12},
    {4, 5, 0b111110110110, 12},
    {3, 7, 0b111110110111, 12},
    {2, 7, 0b111110111000, 12},
    {2, 8, 0b111110111001, 12},
    {2, 9, 0b111110111010, 12},
    {2, 10, 0b111110111011, 12},
    {2, 11, 0b111110111100, 12},
    {1, 15, 0b111110111101, 12},
    {1, 16, 0b111110111110, 12},
    {1, 17, 0b111110111111, 12},
};

// The rest of the code: words made of a prefix and a binary field.
struct VlcFieldWords {
    uint16_t prefix;
    uint8_t prefixLength;
    uint8_t fieldLength;
};

// Runs 6-61 of amplitude 0: 1111110, then the run in 6 bits.
inline constexpr VlcFieldWords kLongZeroRunWords = {0b1111110, 7, 6};
inline constexpr uint32_t kLongestZeroRun = 61;

// Amplitudes 23-255 after no zeros (run 0): 1111111, then the amplitude in 8 bits.
inline constexpr VlcFieldWords kEscapedAmplitudeWords = {0b1111111, 7, 8};
inline constexpr uint32_t kLargestAmplitude = 255;

// The end of a block's code.
inline constexpr VlcWord kEndOfBlockWord = {0, 0, 0b0110, 4};

}  // namespace encdv

#endif
