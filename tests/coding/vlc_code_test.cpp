#include "coding/vlc_code.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "support/dv_code_table.h"

namespace encdv {
namespace {

// The list written out in the library holds exactly the run/amplitude words of the
// transcribed code, and its zero-run words are the transcribed ones.
TEST(VlcCode, ListHoldsEveryTranscribedWordOnce) {
    std::map<std::pair<int, int>, std::string> listed;
    for (const VlcWord& word : kVlcWords) {
        const std::string bits = test::Binary(word.bits, word.length);
        EXPECT_TRUE(listed.emplace(std::make_pair(word.run, word.amplitude), bits).second)
            << "run " << int{word.run} << " amplitude " << int{word.amplitude} << " twice";
        if (word.amplitude == 0) {
            EXPECT_EQ(bits, test::ReferenceZeroRunBits(word.run + 1)) << "run " << int{word.run};
        }
    }
    for (const test::ReferenceRunAmpCode& code : test::kReferenceRunAmpCodes) {
        const auto found = listed.find({code.run, code.amplitude});
        ASSERT_NE(found, listed.end()) << "run " << code.run << " amplitude " << code.amplitude;
        EXPECT_EQ(found->second, code.bits)
            << "run " << code.run << " amplitude " << code.amplitude;
        listed.erase(found);
    }
    for (const auto& [key, bits] : listed) EXPECT_EQ(key.second, 0) << "extra word " << bits;
    EXPECT_EQ(test::Binary(kEndOfBlockWord.bits, kEndOfBlockWord.length),
              test::kReferenceEndOfBlock);
}

}  // namespace
}  // namespace encdv
