// The colour kernels' constants against the Rec. 601 coefficients they encode.
#include <gtest/gtest.h>

#include "input/conversion_constants.h"

namespace encdv {
namespace {

// Every lane of the row holds `even` in even lanes and `odd` in odd lanes.
::testing::AssertionResult RowIs(const ConversionConstants& c, int row, int even, int odd) {
    for (int lane = 0; lane < 8; ++lane) {
        if (c.rows[row][lane] != (lane % 2 ? odd : even)) {
            return ::testing::AssertionFailure() << "row " << row << " lane " << lane;
        }
    }
    return ::testing::AssertionSuccess();
}

// Coefficients quoted to four decimals, held in 15- or 14-bit fixed point.
void ExpectCoefficient(int value, double scale, double coefficient) {
    EXPECT_NEAR(value / scale, coefficient, 1e-4) << value;
}

TEST(ConversionConstants, FullRangeRowsEncodeRec601ToStudioRange) {
    const ConversionConstants& c = kFullRangeConstants;
    const int wr = c.rows[0][0], wb = c.rows[0][1], wg = c.rows[2][0];
    ExpectCoefficient(wr, 32768, 0.2567);
    ExpectCoefficient(wg, 32768, 0.5038);
    ExpectCoefficient(wb, 32768, 0.0983);
    EXPECT_EQ(wr + wg + wb, 28142);  // 219/255 of 32768, rounded
    EXPECT_NEAR(1 + c.rows[3][0] / 65536.0, 255.0 / 219.0, 1e-4);
    ExpectCoefficient(c.rows[6][0], 16384, 0.4960);
    ExpectCoefficient(c.rows[5][0], 16384, 0.6265);
    EXPECT_TRUE(RowIs(c, 0, wr, wb));
    EXPECT_TRUE(RowIs(c, 1, 1, 1));
    EXPECT_TRUE(RowIs(c, 2, wg, 16375));
    EXPECT_TRUE(RowIs(c, 4, 16, 16));
    EXPECT_TRUE(RowIs(c, 7, 32 * 128 + 16, 32 * 128 + 16));  // 128.5 in 5 fractional bits
    EXPECT_TRUE(RowIs(c, 8, 1, 1));
    EXPECT_TRUE(RowIs(c, 11, 0 * 256 + 128, 0 * 256 + 128));  // black 0
}

TEST(ConversionConstants, StudioRangeRowsEncodeRec601) {
    const ConversionConstants& c = kStudioRangeConstants;
    const int wr = c.rows[0][0], wb = c.rows[0][1], wg = c.rows[2][0];
    ExpectCoefficient(wr, 32768, 0.2989);
    ExpectCoefficient(wg, 32768, 0.5866);
    ExpectCoefficient(wb, 32768, 0.1145);
    EXPECT_EQ(wr + wg + wb, 32768);
    ExpectCoefficient(c.rows[6][0], 32768, 0.5776);
    ExpectCoefficient(c.rows[5][0], 32768, 0.7294);
    EXPECT_TRUE(RowIs(c, 0, wr, wb));
    EXPECT_TRUE(RowIs(c, 1, 1, 1));
    EXPECT_TRUE(RowIs(c, 2, wg, 16380));
    EXPECT_TRUE(RowIs(c, 7, 2 * 128 + 1, 2 * 128 + 1));  // 128.5 in 1 fractional bit
    EXPECT_TRUE(RowIs(c, 8, 1, 1));
    EXPECT_TRUE(RowIs(c, 9, 16, 16));
    EXPECT_TRUE(RowIs(c, 11, 16 * 256 + 128, 16 * 256 + 128));  // black 16
}

TEST(ConversionConstants, VuyaRowsWeightTowardsVideoBlack) {
    const ConversionConstants& c = kVuyaConstants;
    EXPECT_TRUE(RowIs(c, 8, 1, 1));
    EXPECT_TRUE(RowIs(c, 9, 16, 16));
    EXPECT_TRUE(RowIs(c, 10, 128, 128));
    EXPECT_TRUE(RowIs(c, 11, 16 * 256 + 16, 16 * 256 + 16));
    EXPECT_TRUE(RowIs(c, 12, 128 * 256 + 128, 128 * 256 + 128));
}

}  // namespace
}  // namespace encdv
