#include "coding/short_code_table.h"

#include <gtest/gtest.h>

#include <string>

#include "support/dv_code_table.h"

namespace encdv {
namespace {

// Every entry is the transcribed code of its distance, amplitude and sign, with nothing set
// between the code and the length; amplitudes 23-31 are marked instead, and the unused row
// and columns are zero.
TEST(ShortCodeTable, EntriesMatchTheTranscribedCode) {
    for (int d = 0; d < 16; ++d) {
        for (int i = 0; i < 64; ++i) {
            const uint64_t entry = ShortCodeTable.codes[d][i];
            if (d == 0 || i < 2) {
                EXPECT_EQ(entry, 0u) << "d " << d << " i " << i;
                continue;
            }
            if (i / 2 >= 23) {
                EXPECT_EQ(entry, kNotShortCode) << "d " << d << " i " << i;
                continue;
            }
            const std::string expected = test::ReferenceCoefficientBits(d, i / 2, i % 2);
            const int length = static_cast<int>(ShortCodeLength(entry));
            ASSERT_EQ(length, static_cast<int>(expected.size())) << "d " << d << " i " << i;
            ASSERT_LE(length, 23);
            std::string bits;
            for (int b = 0; b < length; ++b) bits += ((entry >> (63 - b)) & 1) ? '1' : '0';
            EXPECT_EQ(bits, expected) << "d " << d << " i " << i;
            const uint64_t between = ~(~uint64_t{0} >> length) | 63;
            EXPECT_EQ(entry & ~between, 0u) << "d " << d << " i " << i;
        }
    }
}

}  // namespace
}  // namespace encdv
