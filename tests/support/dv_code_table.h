#ifndef ENC_DV_TESTS_SUPPORT_DV_CODE_TABLE_H
#define ENC_DV_TESTS_SUPPORT_DV_CODE_TABLE_H

#include <string>

namespace encdv {
namespace test {

// The block code of IEC 61834-2 transcribed for tests, as bit strings, independently of
// the encoder's packed tables.
struct ReferenceRunAmpCode {
    int run;
    int amplitude;
    const char* bits;  // without the sign bit
};
constexpr int kReferenceRunAmpCodeCount = 82;
extern const ReferenceRunAmpCode kReferenceRunAmpCodes[kReferenceRunAmpCodeCount];

constexpr const char* kReferenceEndOfBlock = "0110";

// The (run, amplitude 0) code that skips `zeros` (1-62) zero coefficients; empty for 0.
std::string ReferenceZeroRunBits(int zeros);

// The run-0 code of amplitude 1-255 with its sign bit (the escape 1111111 from 23 on).
std::string ReferenceAmplitudeBits(int amplitude, int sign);

// The code of a coefficient `distance` positions after the previous one: the direct
// run/amplitude code with sign where the table has one, else zero run then amplitude.
std::string ReferenceCoefficientBits(int distance, int amplitude, int sign);

// value as a width-bit binary string, most significant bit first.
std::string Binary(int value, int width);

}  // namespace test
}  // namespace encdv

#endif
