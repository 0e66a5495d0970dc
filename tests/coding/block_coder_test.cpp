#include "coding/block_coder.h"
#include "coding/block_bits.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "coding/quant_selection.h"
#include "support/dv_code_table.h"

namespace encdv {
namespace {

using test::Binary;
using test::ReferenceCoefficientBits;

constexpr uint8_t kGuard = 0xA5;

// A block to code: header fields and the AC words with their nonzero list.
struct TestBlock {
    alignas(16) CoefficientWord words[64] = {};
    uint8_t list[64] = {};
    BlockWork work{};

    TestBlock(int dc, int mode, int classNumber) {
        work.dc = dc;
        work.dctMode = mode;
        work.classNumber = classNumber;
        work.coefficients = words;
    }
    // value is signed; a stored word keeps only bit 15 and the low 8 bits meaningful.
    void Set(int position, int value) {
        words[position] = static_cast<CoefficientWord>(value < 0 ? kSignBit | -value : value);
    }
    void BuildList() { BuildNonzeroList(words, list); }
};

// The bits a block must code as, built from the transcribed standard table.
std::string ExpectedBits(const TestBlock& block) {
    std::string bits = Binary(block.work.dc & 0x1FF, 9) + Binary(block.work.dctMode, 1) +
                       Binary(block.work.classNumber, 2);
    int previous = 0;
    for (int q = 1; q < 64; ++q) {
        const int amplitude = block.words[q] & 0xFF;
        if (amplitude == 0) continue;
        bits += ReferenceCoefficientBits(q - previous, amplitude, block.words[q] >> 15);
        previous = q;
    }
    return bits + test::kReferenceEndOfBlock;
}

std::string BitsOf(const uint8_t* bytes, int count) {
    std::string bits;
    for (int i = 0; i < count; ++i) bits += ((bytes[i / 8] >> (7 - i % 8)) & 1) ? '1' : '0';
    return bits;
}

// The block coded into a store that guard bytes fill beforehand.
struct CodedBlock {
    int bits;
    std::vector<uint8_t> store;  // kBlockCodeBytes
};

CodedBlock Code(const TestBlock& block) {
    CodedBlock out{};
    out.store.assign(kBlockCodeBytes, kGuard);
    out.bits = CodeBlockToStore(block.work, block.list, out.store.data());
    return out;
}

// The result and the stored bytes agree with the expected bit string, zeros follow it to the
// end of its last byte, and nothing is written past the bytes a store must have.
void ExpectCodes(const TestBlock& block, const std::string& expected) {
    const CodedBlock coded = Code(block);
    const int length = static_cast<int>(expected.size());
    ASSERT_EQ(coded.bits, length);
    EXPECT_EQ(BitsOf(coded.store.data(), length), expected);
    const int lastByte = (length - 1) / 8;
    EXPECT_EQ(coded.store[lastByte] & (0xFF >> (length - 8 * lastByte)) & 0xFF, 0);
    for (size_t i = kMaxBlockCodeBits / 8 + 8; i < coded.store.size(); ++i)
        ASSERT_EQ(coded.store[i], kGuard) << "byte " << i << " written";
}

TEST(CodeBlockToStore, WorkedExamplesGiveTheirBytes) {
    struct Case {
        const char* name;
        int dc, mode, classNumber;
        std::vector<std::pair<int, int>> coefficients;
        int bits;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty block", 0, 0, 0, {}, 16, {0x00, 0x06}},
        {"one coefficient", 0, 0, 2, {{1, 1}}, 19, {0x00, 0x20, 0xC0}},
        {"direct and escaped codes",
         -256,
         1,
         3,
         {{3, -5}, {30, 200}},
         55,
         {0x80, 0x7F, 0x4F, 0xF3, 0x3F, 0xF2, 0x0C}},
        {"DC -256", -256, 0, 0, {}, 16, {0x80, 0x06}},
        {"DC -1", -1, 0, 0, {}, 16, {0xFF, 0x86}},
        {"DC 254", 254, 0, 0, {}, 16, {0x7F, 0x06}},
        {"DC 255", 255, 1, 1, {}, 16, {0x7F, 0xD6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestBlock block(c.dc, c.mode, c.classNumber);
        for (const auto& [position, value] : c.coefficients) block.Set(position, value);
        block.BuildList();
        const CodedBlock coded = Code(block);
        EXPECT_EQ(coded.bits, c.bits);
        EXPECT_EQ(std::vector<uint8_t>(coded.store.begin(), coded.store.begin() + c.bytes.size()),
                  c.bytes);
        EXPECT_EQ(coded.bits, 12 + CountBlockBits(block.words, block.list));
    }
}

// Every distance, amplitude and sign as the only coefficient of a block: the code is the
// standard's, and the quantization selection counts exactly its length.
TEST(CodeBlockToStore, EverySingleCoefficientCodesAsTheStandardAndAsCounted) {
    for (int d = 1; d <= 63; ++d) {
        for (int a = 1; a <= 255; ++a) {
            for (int s = 0; s < 2; ++s) {
                TestBlock block(d - 128, d & 1, a & 3);
                block.Set(d, s ? -a : a);
                block.BuildList();
                const std::string expected = ExpectedBits(block);
                const CodedBlock coded = Code(block);
                ASSERT_EQ(coded.bits, static_cast<int>(expected.size()))
                    << "d " << d << " a " << a << " s " << s;
                ASSERT_EQ(BitsOf(coded.store.data(), coded.bits), expected);
                ASSERT_EQ(coded.bits, 12 + CountBlockBits(block.words, block.list));
            }
        }
    }
}

// Random blocks of every density, with the stray bits a shifted negative word carries
// (bits 8-14) and negative zeros, which the coder must ignore.
TEST(CodeBlockToStore, RandomBlocksCodeAsTheStandard) {
    const unsigned seed = 20261207;
    std::printf("CodeBlockToStore random seed %u\n", seed);
    std::mt19937 random(seed);
    for (int trial = 0; trial < 4000; ++trial) {
        TestBlock block(static_cast<int>(random() % 511) - 256, random() & 1, random() & 3);
        const unsigned density = random() % 64;
        const unsigned maxAmplitude = 1u << (random() % 9);
        for (int q = 1; q < 64; ++q) {
            if (random() % 64 >= density) continue;
            const unsigned amplitude = random() % maxAmplitude;
            uint16_t word = static_cast<uint16_t>(amplitude);
            if (random() & 1) word |= kSignBit | ((random() & 0x7F) << 8);
            block.words[q] = word;
        }
        block.BuildList();
        SCOPED_TRACE(trial);
        ExpectCodes(block, ExpectedBits(block));
        ASSERT_EQ(Code(block).bits, 12 + CountBlockBits(block.words, block.list));
    }
}

TEST(CodeBlockToStore, LongestBlockFillsExactlyItsBound) {
    TestBlock block(-1, 1, 3);
    for (int q = 1; q < 64; ++q) block.Set(q, (q & 1) ? -255 : 255);
    block.BuildList();
    const std::string expected = ExpectedBits(block);
    ASSERT_EQ(static_cast<int>(expected.size()), kMaxBlockCodeBits);
    ExpectCodes(block, expected);
}

}  // namespace
}  // namespace encdv
