#include "coding/vlc_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "support/dv_code_table.h"

namespace encdv {
namespace {

using test::ReferenceAmplitudeBits;
using test::ReferenceCoefficientBits;
using test::ReferenceZeroRunBits;

// A packed table entry as a bit string.
std::string Bits(uint32_t entry) {
    std::string bits;
    for (int i = 0; i < CodeLength(entry); ++i) bits += ((entry >> (31 - i)) & 1) ? '1' : '0';
    return bits;
}

// Nothing may be set between the code's end and the length byte.
bool IsClean(uint32_t entry) {
    const int length = CodeLength(entry);
    if (length > 24) return false;
    const uint32_t codeMask = length == 0 ? 0 : ~uint32_t{0} << (32 - length);
    return (entry & ~codeMask & ~uint32_t{0xFF}) == 0;
}

TEST(VlcTables, EntriesMatchTheTranscribedCode) {
    for (int d = 1; d <= 19; ++d) {
        EXPECT_EQ(Bits(RunAmpCodeTable.codes[d - 1][0]), ReferenceZeroRunBits(d - 1)) << "d " << d;
        for (int a = 1; a <= 18; ++a) {
            for (int s = 0; s < 2; ++s) {
                const uint32_t entry = RunAmpCodeTable.codes[d - 1][2 * a + s];
                EXPECT_TRUE(IsClean(entry));
                EXPECT_EQ(Bits(entry), ReferenceCoefficientBits(d, a, s))
                    << "d " << d << " a " << a << " s " << s;
            }
        }
    }
    EXPECT_EQ(CodeLength(ZeroRunCodeTable.codes[1]), 0);
    for (int d = 2; d <= 63; ++d) {
        EXPECT_TRUE(IsClean(ZeroRunCodeTable.codes[d]));
        EXPECT_EQ(Bits(ZeroRunCodeTable.codes[d]), ReferenceZeroRunBits(d - 1)) << "d " << d;
    }
    EXPECT_EQ(Bits(ZeroRunCodeTable.codes[kEndOfBlockIndex]), "0110");
    EXPECT_EQ(CodeLength(AmplitudeCodeTable.codes[0]), 0);
    EXPECT_EQ(CodeLength(AmplitudeCodeTable.codes[1]), 0);
    for (int a = 1; a <= 255; ++a) {
        for (int s = 0; s < 2; ++s) {
            EXPECT_TRUE(IsClean(AmplitudeCodeTable.codes[2 * a + s]));
            EXPECT_EQ(Bits(AmplitudeCodeTable.codes[2 * a + s]), ReferenceAmplitudeBits(a, s))
                << "a " << a << " s " << s;
        }
    }
}

// Splits the tables into the code words a decoder sees: a run/amplitude entry is either
// one word or the zero-run word of its distance followed by an amplitude word.
TEST(VlcTables, CodeWordsFormAPrefixFreeCode) {
    std::set<std::string> words;
    std::set<std::string> direct;
    for (int d = 2; d <= 63; ++d) words.insert(Bits(ZeroRunCodeTable.codes[d]));
    words.insert(Bits(ZeroRunCodeTable.codes[kEndOfBlockIndex]));
    for (int i = 2; i < 512; ++i) words.insert(Bits(AmplitudeCodeTable.codes[i]));
    for (int d = 1; d <= 19; ++d) {
        for (int i = 2; i < 38; ++i) {
            const std::string entry = Bits(RunAmpCodeTable.codes[d - 1][i]);
            const std::string composite =
                Bits(ZeroRunCodeTable.codes[d]) + Bits(AmplitudeCodeTable.codes[i]);
            if (d > 1 && entry == composite) continue;
            direct.insert(entry);
            words.insert(entry);
        }
    }
    // 82 run/amplitude codes with both signs, less run 0 with amplitudes 19-22, which only
    // the amplitude table reaches.
    EXPECT_EQ(direct.size(), 2u * (82 - 4));
    // 164 run/amplitude words, 62 zero runs, 233 escaped amplitudes with both signs and the
    // end-of-block.
    EXPECT_EQ(words.size(), 164u + 62 + 2 * 233 + 1);

    // In sorted order a word that is a prefix of another is a prefix of its successor.
    const std::vector<std::string> sorted(words.begin(), words.end());
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        EXPECT_NE(sorted[i + 1].compare(0, sorted[i].size(), sorted[i]), 0)
            << sorted[i] << " is a prefix of " << sorted[i + 1];
    }
}

// The counting rule of the quantization selection (a + d < 20 picks the run/amplitude
// table) and the coder's rule (d < 20 and a < 19) give the same length everywhere.
TEST(VlcTables, CountingAndCodingRulesAgreeOnEveryLength) {
    for (int d = 1; d <= 63; ++d) {
        for (int a = 1; a <= 255; ++a) {
            for (int s = 0; s < 2; ++s) {
                const int coded = d < 20 && a < 19
                                      ? CodeLength(RunAmpCodeTable.codes[d - 1][2 * a + s])
                                      : CodeLength(ZeroRunCodeTable.codes[d]) +
                                            CodeLength(AmplitudeCodeTable.codes[2 * a + s]);
                const int counted = a + d < 20 ? CodeLength(RunAmpCodeTable.codes[d - 1][2 * a])
                                               : CodeLength(ZeroRunCodeTable.codes[d]) +
                                                     CodeLength(AmplitudeCodeTable.codes[2 * a]);
                ASSERT_EQ(coded, counted) << "d " << d << " a " << a << " s " << s;
                ASSERT_EQ(coded, static_cast<int>(ReferenceCoefficientBits(d, a, s).size()));
            }
        }
    }
}

}  // namespace
}  // namespace encdv
