#include <gtest/gtest.h>

#include <cstring>

#include "block_patterns.h"
#include "transform/forward_dct.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

// The printed tables, rows h, columns v (8-8) or 2u + d (2-4-8).
const int kMultiplier88[8][8] = {
    {16384, 2676, 2896, 2896, 3584, 4096, 5793, 9889},
    {2676, 1748, 1892, 1892, 2341, 2676, 3784, 6460},
    {2896, 1892, 2048, 2048, 2534, 2896, 4096, 6992},
    {2896, 1892, 2048, 2048, 2534, 2896, 4096, 6992},
    {3584, 2341, 2534, 2534, 3136, 3584, 5069, 8653},
    {4096, 2676, 2896, 2896, 3584, 4096, 5793, 9889},
    {5793, 3784, 4096, 4096, 5069, 5793, 8192, 13985},
    {9889, 6460, 6992, 6992, 8653, 9889, 13985, 23873},
};
const int kBias88[8][8] = {
    {1, 12, 11, 11, 9, 7, 5, 3},    {12, 18, 17, 17, 13, 12, 8, 4}, {11, 17, 15, 15, 12, 11, 7, 4},
    {11, 17, 15, 15, 12, 11, 7, 4}, {9, 13, 12, 12, 10, 9, 6, 3},   {7, 12, 11, 11, 9, 7, 5, 3},
    {5, 8, 7, 7, 6, 5, 3, 2},       {3, 4, 4, 4, 3, 3, 2, 1},
};
const int kMultiplier248[8][8] = {
    {16384, 4096, 3496, 3496, 3584, 3584, 2896, 2896},
    {2676, 2676, 2284, 2284, 2341, 2341, 1892, 1892},
    {2896, 2896, 2472, 2472, 2534, 2534, 2048, 2048},
    {2896, 2896, 2472, 2472, 2534, 2534, 2048, 2048},
    {3584, 3584, 3059, 3059, 3136, 3136, 2534, 2534},
    {4096, 4096, 3496, 3496, 3584, 3584, 2896, 2896},
    {5793, 5793, 4944, 4944, 5069, 5069, 4096, 4096},
    {9889, 9889, 8440, 8440, 8653, 8653, 6992, 6992},
};
const int kBias248[8][8] = {
    {1, 7, 9, 9, 9, 9, 11, 11},       {12, 12, 14, 14, 13, 13, 17, 17},
    {11, 11, 13, 13, 12, 12, 15, 15}, {11, 11, 13, 13, 12, 12, 15, 15},
    {9, 9, 10, 10, 10, 10, 12, 12},   {7, 7, 9, 9, 9, 9, 11, 11},
    {5, 5, 6, 6, 6, 6, 7, 7},         {3, 3, 3, 3, 3, 3, 4, 4},
};

class TransformTables : public ::testing::Test {
  protected:
    void SetUp() override { transform_test::InitTransform(); }
};

TEST_F(TransformTables, DvWeightsMatchTheStandardValues) {
    const double printed[8] = {1.000000, 0.980785, 0.923880, 0.899976,
                               0.875000, 0.850430, 0.765367, 0.720960};
    for (int n = 0; n < 8; ++n) EXPECT_NEAR(DvWeight(n), printed[n], 5e-7) << "w(" << n << ")";
}

TEST_F(TransformTables, EveryEntryEqualsThePrintedTables) {
    struct Case {
        const char* name;
        int mode;
        const int (*multiplier)[8];
        const int (*bias)[8];
    };
    for (const Case& c :
         {Case{"8-8", 0, kMultiplier88, kBias88}, Case{"2-4-8", 1, kMultiplier248, kBias248}}) {
        const OutputScaleTable& table = GetOutputScaleTable(c.mode);
        for (int h = 0; h < 8; ++h) {
            for (int i = 0; i < 8; ++i) {
                EXPECT_EQ(table.multiplier[8 * h + i], c.multiplier[h][i])
                    << c.name << " multiplier h=" << h << " column " << i;
                EXPECT_EQ(table.bias[8 * h + i], c.bias[h][i])
                    << c.name << " bias h=" << h << " column " << i;
            }
        }
    }
}

TEST_F(TransformTables, EightEightTableIsSymmetric) {
    const OutputScaleTable& table = GetOutputScaleTable(0);
    for (int h = 0; h < 8; ++h) {
        for (int v = 0; v < h; ++v) {
            EXPECT_EQ(table.multiplier[8 * h + v], table.multiplier[8 * v + h]) << h << "," << v;
            EXPECT_EQ(table.bias[8 * h + v], table.bias[8 * v + h]) << h << "," << v;
        }
    }
}

TEST_F(TransformTables, SecondInitialisationChangesNothing) {
    OutputScaleTable before[2];
    DctVectorConstants constantsBefore;
    std::memcpy(&before[0], &GetOutputScaleTable(0), sizeof(OutputScaleTable));
    std::memcpy(&before[1], &GetOutputScaleTable(1), sizeof(OutputScaleTable));
    std::memcpy(&constantsBefore, &GetDctVectorConstants(), sizeof constantsBefore);
    transform_test::InitTransform();
    EXPECT_EQ(std::memcmp(&before[0], &GetOutputScaleTable(0), sizeof(OutputScaleTable)), 0);
    EXPECT_EQ(std::memcmp(&before[1], &GetOutputScaleTable(1), sizeof(OutputScaleTable)), 0);
    EXPECT_EQ(std::memcmp(&constantsBefore, &GetDctVectorConstants(), sizeof constantsBefore), 0);
}

}  // namespace
}  // namespace encdv
