#include "dv_code_table.h"

namespace encdv {
namespace test {

// The run/amplitude codes of IEC 61834-2 (run, amplitude, code without its sign bit).
const ReferenceRunAmpCode kReferenceRunAmpCodes[kReferenceRunAmpCodeCount] = {
    {0, 1, "00"},
    {0, 2, "010"},
    {1, 1, "0111"},
    {0, 3, "1000"},
    {0, 4, "1001"},
    {2, 1, "10100"},
    {1, 2, "10101"},
    {0, 5, "10110"},
    {0, 6, "10111"},
    {3, 1, "110000"},
    {4, 1, "110001"},
    {0, 7, "110010"},
    {0, 8, "110011"},
    {5, 1, "1101000"},
    {6, 1, "1101001"},
    {2, 2, "1101010"},
    {1, 3, "1101011"},
    {1, 4, "1101100"},
    {0, 9, "1101101"},
    {0, 10, "1101110"},
    {0, 11, "1101111"},
    {7, 1, "11100000"},
    {8, 1, "11100001"},
    {9, 1, "11100010"},
    {10, 1, "11100011"},
    {3, 2, "11100100"},
    {4, 2, "11100101"},
    {2, 3, "11100110"},
    {1, 5, "11100111"},
    {1, 6, "11101000"},
    {1, 7, "11101001"},
    {0, 12, "11101010"},
    {0, 13, "11101011"},
    {0, 14, "11101100"},
    {0, 15, "11101101"},
    {0, 16, "11101110"},
    {0, 17, "11101111"},
    {11, 1, "111100000"},
    {12, 1, "111100001"},
    {13, 1, "111100010"},
    {14, 1, "111100011"},
    {5, 2, "111100100"},
    {6, 2, "111100101"},
    {3, 3, "111100110"},
    {4, 3, "111100111"},
    {2, 4, "111101000"},
    {2, 5, "111101001"},
    {1, 8, "111101010"},
    {0, 18, "111101011"},
    {0, 19, "111101100"},
    {0, 20, "111101101"},
    {0, 21, "111101110"},
    {0, 22, "111101111"},
    {5, 3, "1111100000"},
    {3, 4, "1111100001"},
    {3, 5, "1111100010"},
    {2, 6, "1111100011"},
    {1, 9, "1111100100"},
    {1, 10, "1111100101"},
    {1, 11, "1111100110"},
    {6, 3, "11111010000"},
    {4, 4, "11111010001"},
    {3, 6, "11111010010"},
    {1, 12, "11111010011"},
    {1, 13, "11111010100"},
    {1, 14, "11111010101"},
    {7, 2, "111110110000"},
    {8, 2, "111110110001"},
    {9, 2, "111110110010"},
    {10, 2, "111110110011"},
    {7, 3, "111110110100"},
    {8, 3, "111110110101"},
    {4, 5, "111110110110"},
    {3, 7, "111110110111"},
    {2, 7, "111110111000"},
    {2, 8, "111110111001"},
    {2, 9, "111110111010"},
    {2, 10, "111110111011"},
    {2, 11, "111110111100"},
    {1, 15, "111110111101"},
    {1, 16, "111110111110"},
    {1, 17, "111110111111"},
};

std::string ReferenceZeroRunBits(int zeros) {
    if (zeros == 0) return "";
    if (zeros == 1) return "11111001110";
    if (zeros == 2) return "11111001111";
    if (zeros <= 6) return "1111101011" + Binary(zeros - 3, 2);
    return "1111110" + Binary(zeros - 1, 6);
}

std::string ReferenceAmplitudeBits(int amplitude, int sign) {
    const std::string s = sign ? "1" : "0";
    for (const ReferenceRunAmpCode& c : kReferenceRunAmpCodes)
        if (c.run == 0 && c.amplitude == amplitude) return c.bits + s;
    return "1111111" + Binary(amplitude, 8) + s;
}

std::string ReferenceCoefficientBits(int distance, int amplitude, int sign) {
    for (const ReferenceRunAmpCode& c : kReferenceRunAmpCodes)
        if (c.run == distance - 1 && c.amplitude == amplitude)
            return std::string(c.bits) + (sign ? "1" : "0");
    return ReferenceZeroRunBits(distance - 1) + ReferenceAmplitudeBits(amplitude, sign);
}

std::string Binary(int value, int width) {
    std::string bits;
    for (int i = width - 1; i >= 0; --i) bits += ((value >> i) & 1) ? '1' : '0';
    return bits;
}

}  // namespace test
}  // namespace encdv
