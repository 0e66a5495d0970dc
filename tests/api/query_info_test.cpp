#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "enc_dv.h"

namespace {

TEST(ApiExtension, HandsOutTheQueryOnlyForIdOne) {
    EXPECT_NE(DVEncGetAPIExt(1), nullptr);
    for (int id : {0, 2, 3, -1, 0x7fffffff}) EXPECT_EQ(DVEncGetAPIExt(id), nullptr) << id;
}

TEST(QueryInfo, WritesExactlyItsAnswerAndNothingMore) {
    const DVEncQueryInfoFunction query = DVEncGetAPIExt(1);
    ASSERT_NE(query, nullptr);
    constexpr uint8_t kFill = 0xEE;  // in none of the answers
    const uint8_t one[] = {1, 0, 0, 0};
    struct Case {
        int type;
        int result;
        const char* bytes;  // what lands at the start of out; null: nothing
        size_t length;
    };
    const Case cases[] = {
        {3, 0, reinterpret_cast<const char*>(one), 4},
        {4, 0, "8.5.0.19970", 11},
        {5, 0, "QXPLATFORM_IA32", 15},
        {0, 1, nullptr, 0},
        {1, 1, nullptr, 0},
        {2, 1, nullptr, 0},
        {6, 1, nullptr, 0},
        {-1, 1, nullptr, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(64, kFill);
        EXPECT_EQ(query(c.type, out.data()), c.result) << "type " << c.type;
        if (c.bytes) {
            EXPECT_EQ(std::memcmp(out.data(), c.bytes, c.length), 0) << "type " << c.type;
        }
        for (size_t i = c.length; i < out.size(); ++i)
            ASSERT_EQ(out[i], kFill) << "type " << c.type << " wrote byte " << i;
        EXPECT_EQ(query(c.type, nullptr), 1) << "type " << c.type << " with null out";
    }
}

}  // namespace
