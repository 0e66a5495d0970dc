// The length table the quantization selection counts with holds, for every distance and
// amplitude, the length of the transcribed code with either sign.
#include <gtest/gtest.h>

#include <string>

#include "coding/code_length_table.h"
#include "support/dv_code_table.h"

namespace encdv {
namespace {

TEST(CodeLengthTable, EveryDistanceAmplitudeAndSignCountsAsCoded) {
    for (unsigned d = 1; d < 64; ++d) {
        for (unsigned a = 1; a < 256; ++a) {
            for (unsigned s = 0; s < 2; ++s) {
                const std::string coded = test::ReferenceCoefficientBits(d, a, s);
                ASSERT_EQ(CoefficientCodeBits(d, a), coded.size())
                    << "d " << d << " a " << a << " s " << s;
            }
        }
    }
}

// The table by amplitude holds the same lengths, at 63 - d; amplitude 0 never looks cheaper
// than a code.
TEST(CodeLengthTable, ByAmplitudeHoldsEveryLengthAtItsReversedDistance) {
    for (unsigned a = 0; a < 256; ++a) {
        const uint8_t* row = CoefficientCodeLengthByAmplitude.bits[a];
        EXPECT_EQ(row[63], a == 0 ? 255 : 0) << "a " << a;
        for (unsigned d = 1; d < 64; ++d) {
            ASSERT_EQ(row[63 - d], a == 0 ? 255u : CoefficientCodeBits(d, a))
                << "d " << d << " a " << a;
        }
    }
}

}  // namespace
}  // namespace encdv
