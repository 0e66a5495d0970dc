#include "platform/cpu_features.h"
#include "platform/quality_setting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/target.h"

namespace encdv {
namespace {

TEST(FeatureList, WordsOrTheirBitsIntoSeven) {
    struct Case {
        const char* text;
        uint32_t word;
    };
    const Case cases[] = {
        {"sse2", 0x2007},
        {"SSE2, mmx", 0x2027},
        {"sse,\tsse2,\tsse3", 0xA607},
        {"3dnow", 0x27},
        {"3dnowext", 0x27},
        {"AUTO", 0x7},  // only the exact lower-case keyword means detection
        {" auto", 0x7},
        {"avx512 neon altivec", 0x7},
        {"sse2 AVX2", 0x22007},
        {"tsc cmov mmxext p6_mtrr k6_mtrr ht", 0x7 | 0x10 | 0x40 | 0x200 | 0x1000 | 0x800 | 0x4000},
        {"  ,,\n\t sse2 \n,, ", 0x2007},  // runs and edges of separators
        {"sse2;mmx", 0x7},                // ';' is not a separator: one unknown word
        {"ssE2\nHt", 0x6007},
        {"sse22 sse", 0x607},  // a longer word is not a prefix match
        {",", 0x7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseFeatureList(c.text), c.word) << '"' << c.text << '"';
    }
}

// The Quality setting splits and compares its words as the CPUFeatures list does; only
// "best" turns the mode on, and an unknown word is the same as "default".
TEST(QualitySetting, ReadsItsWordsLikeTheFeatureList) {
    struct Case {
        const char* text;
        bool best;
    };
    const Case cases[] = {
        {"best", true},         {"BEST", true}, {"  ,,\n\t Best \n,, ", true},
        {"default best", true}, {"", false},    {"default", false},
        {"bestest", false},  // a longer word is not a prefix match
        {"best;", false},    // ';' is not a separator
        {"fast exact", false},  {",", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseQualitySetting(c.text), c.best) << '"' << c.text << '"';
    }
    setenv("DVCODEC_QUALITY", "Best", 1);
    EXPECT_TRUE(BestQualitySetting());
    setenv("DVCODEC_QUALITY", "auto", 1);
    EXPECT_FALSE(BestQualitySetting());
    unsetenv("DVCODEC_QUALITY");
    EXPECT_FALSE(BestQualitySetting());
}

// A fake processor answering the identification leaves that detection uses, and the
// operating system's XCR0.
struct FakeCpu {
    const char* vendor;  // 12 characters
    uint32_t maxLeaf;
    uint32_t leaf1Eax, leaf1Ecx, leaf1Edx;
    uint32_t maxExtendedLeaf;
    uint32_t extendedEdx;
    uint32_t leaf7Ebx = 0;
    uint32_t xcr0 = 0;
};
const FakeCpu* fakeCpu = nullptr;

platform::CpuidRegisters FakeCpuid(uint32_t leaf) {
    const FakeCpu& cpu = *fakeCpu;
    platform::CpuidRegisters r{0, 0, 0, 0};
    if (leaf == 0) {
        r.eax = cpu.maxLeaf;
        std::memcpy(&r.ebx, cpu.vendor, 4);
        std::memcpy(&r.edx, cpu.vendor + 4, 4);
        std::memcpy(&r.ecx, cpu.vendor + 8, 4);
    } else if (leaf == 1) {
        r = {cpu.leaf1Eax, 0, cpu.leaf1Ecx, cpu.leaf1Edx};
    } else if (leaf == 7) {
        EXPECT_GE(cpu.maxLeaf, 7u) << "leaf 7 read beyond the highest leaf";
        r.ebx = cpu.leaf7Ebx;
    } else if (leaf == 0x80000000u) {
        r.eax = cpu.maxExtendedLeaf;
    } else if (leaf == 0x80000001u) {
        r.edx = cpu.extendedEdx;
    }
    return r;
}

// XGETBV faults where the system has not set OSXSAVE: detection must not read it there.
uint32_t FakeXcr0() {
    EXPECT_NE(fakeCpu->leaf1Ecx & (1u << 27), 0u) << "XCR0 read without OSXSAVE";
    return fakeCpu->xcr0;
}

constexpr uint32_t Bit(int n) {
    return 1u << n;
}

TEST(FeatureDetection, FollowsIdentificationLeavesAndVendor) {
    const uint32_t sse2Box = Bit(4) | Bit(12) | Bit(15) | Bit(23) | Bit(25) | Bit(26) | Bit(28);
    struct Case {
        const char* name;
        FakeCpu cpu;
        uint32_t word;
    };
    const Case cases[] = {
        {"no standard leaf 1", {"GenuineIntel", 0, 0, 0, ~0u, 0x80000008u, ~0u}, 0x1},
        {"Intel with SSE3, no extended leaf",
         {"GenuineIntel", 2, 0x6F6, Bit(0), sse2Box, 0x80000000u, ~0u},
         0x1 | 0x2 | 0x10 | 0x1000 | 0x40 | 0x20 | 0x200 | 0x400 | 0x2000 | 0x4000 | 0x8000},
        {"Intel ignores the AMD-only bits",
         {"GenuineIntel", 1, 0x590, 0, Bit(26), 0x80000001u, Bit(31) | Bit(30) | Bit(22)},
         0x1 | 0x2 | 0x4 | 0x2000 | 0x80},
        {"AMD with extended 3DNow!",
         {"AuthenticAMD", 1, 0x622, 0, Bit(23), 0x80000001u, Bit(31) | Bit(30) | Bit(22)},
         0x1 | 0x2 | 0x4 | 0x20 | 0x80 | 0x100},
        {"AMD MMX extensions without extended 3DNow!",
         {"AuthenticAMD", 1, 0x622, 0, 0, 0x80000001u, Bit(22)},
         0x1 | 0x2 | 0x4 | 0x200},
        {"AMD K6 signature 0x588", {"AuthenticAMD", 1, 0x588, 0, 0, 0x80000001u, 0}, 0x807},
        {"AMD K6 signature 0x5FF (upper 20 bits ignored)",
         {"AuthenticAMD", 1, 0xABC5FF, 0, 0, 0x80000001u, 0},
         0x807},
        {"AMD signature 0x587", {"AuthenticAMD", 1, 0x587, 0, 0, 0x80000001u, 0}, 0x7},
        {"AMD signature 0x600", {"AuthenticAMD", 1, 0x600, 0, 0, 0x80000001u, 0}, 0x7},
        {"AMD without extended leaf 0x80000001",
         {"AuthenticAMD", 1, 0x588, 0, Bit(26), 0x80000000u, Bit(30)},
         0x2003},
        {"vendor text must match exactly",
         {"AuthenticAMd", 1, 0x588, 0, 0, 0x80000001u, Bit(30)},
         0x7},
    };
    for (const Case& c : cases) {
        fakeCpu = &c.cpu;
        EXPECT_EQ(DetectFeatures(FakeCpuid, FakeXcr0), c.word) << c.name;
    }
    fakeCpu = nullptr;
}

// The AVX2 kernels need AVX2 and BMI2 from the processor and the YMM state saved by the
// system: any one missing leaves the bit clear.
TEST(FeatureDetection, Avx2NeedsProcessorAndSystemSupport) {
    const uint32_t avxEcx = Bit(27) | Bit(28);  // OSXSAVE, AVX
    const uint32_t leaf7 = Bit(5) | Bit(8);     // AVX2, BMI2
    struct Case {
        const char* name;
        uint32_t maxLeaf, leaf1Ecx, leaf7Ebx, xcr0;
        bool avx2;
    };
    const Case cases[] = {
        {"everything", 7, avxEcx, leaf7, 0x7, true},
        {"AVX-512 state too", 0xD, avxEcx, ~0u, 0xE7, true},
        {"highest leaf 6", 6, avxEcx, leaf7, 0x7, false},
        {"no OSXSAVE", 7, Bit(28), leaf7, 0x7, false},
        {"no AVX", 7, Bit(27), leaf7, 0x7, false},
        {"YMM state not saved", 7, avxEcx, leaf7, 0x3, false},
        {"XMM state not saved", 7, avxEcx, leaf7, 0x5, false},
        {"no AVX2", 7, avxEcx, Bit(8), 0x7, false},
        {"no BMI2", 7, avxEcx, Bit(5), 0x7, false},
    };
    for (const Case& c : cases) {
        const FakeCpu cpu{"GenuineIntel", c.maxLeaf, 0x906E9,    c.leaf1Ecx, Bit(26),
                          0x80000000u,    0,         c.leaf7Ebx, c.xcr0};
        fakeCpu = &cpu;
        EXPECT_EQ(DetectFeatures(FakeCpuid, FakeXcr0), 0x2003u | (c.avx2 ? kFeatureAvx2 : 0))
            << c.name;
    }
    fakeCpu = nullptr;
}

class FeatureSetting : public ::testing::Test {
  protected:
    void TearDown() override { unsetenv("DVCODEC_CPUFEATURES"); }
};

TEST_F(FeatureSetting, EmptyOrAutoDetectsAndAListReplacesDetection) {
    if (!platform::kTargetIsX86) GTEST_SKIP() << "the setting is read on x86 only";
    const uint32_t detected = DetectFeatures(platform::ExecuteCpuid, platform::ReadXcr0);
    EXPECT_NE(detected & kFeatureSse2, 0u) << "the test machine has SSE2";

    unsetenv("DVCODEC_CPUFEATURES");
    EXPECT_EQ(GetFeatureWord(), detected);
    setenv("DVCODEC_CPUFEATURES", "", 1);
    EXPECT_EQ(GetFeatureWord(), detected);
    setenv("DVCODEC_CPUFEATURES", "auto", 1);
    EXPECT_EQ(GetFeatureWord(), detected);

    // The setting is read anew on every call.
    setenv("DVCODEC_CPUFEATURES", "Auto", 1);
    EXPECT_EQ(GetFeatureWord(), 0x7u);
    setenv("DVCODEC_CPUFEATURES", "mmx sse2", 1);
    EXPECT_EQ(GetFeatureWord(), 0x2027u);
    // A list switches the AVX2 kernels off, or on only where detection found them.
    setenv("DVCODEC_CPUFEATURES", "sse2 avx2", 1);
    EXPECT_EQ(GetFeatureWord(), 0x2007u | (detected & kFeatureAvx2));
}

// On x86 the setting decides as the SSE2 bit does; elsewhere it is not read, and the word
// says only what the build's target always has.
TEST_F(FeatureSetting, DecidesWhetherFramesAreEncodedOnX86Only) {
    const uint32_t offX86 = kFeatureValid | (platform::kTargetIsAArch64 ? kFeatureNeon : 0);
    if (!platform::kTargetIsX86) {
        EXPECT_EQ(DetectFeatures(platform::ExecuteCpuid, platform::ReadXcr0), 0x1u)
            << "no CPUID off x86";
    }
    struct Case {
        const char* setting;  // null: unset
        bool encodesOnX86;
    };
    const Case cases[] = {
        {nullptr, true}, {"", true},         {"auto", true},
        {"sse2", true},  {"mmx,SSE2", true}, {"mmx sse sse3", false},
        {"AUTO", false}, {" auto", false},   {"neon asimd", false},
    };
    for (const Case& c : cases) {
        if (c.setting) {
            setenv("DVCODEC_CPUFEATURES", c.setting, 1);
        } else {
            unsetenv("DVCODEC_CPUFEATURES");
        }
        EXPECT_EQ(ProcessorCanEncode(), c.encodesOnX86 || !platform::kTargetIsX86)
            << (c.setting ? c.setting : "(unset)");
        if (!platform::kTargetIsX86) {
            EXPECT_EQ(GetFeatureWord(), offX86) << (c.setting ? c.setting : "(unset)");
        } else {
            EXPECT_EQ(GetFeatureWord() & kFeatureNeon, 0u);
        }
    }
}

TEST_F(FeatureSetting, OnlyTheFirst255CharactersOfTheSettingCount) {
    if (!platform::kTargetIsX86) GTEST_SKIP() << "the setting is read on x86 only";
    // "sse2" straddling the end of the 256-byte buffer is cut to "ss" and not recognised.
    std::string text(253, ' ');
    text += "sse2";
    setenv("DVCODEC_CPUFEATURES", text.c_str(), 1);
    EXPECT_EQ(GetFeatureWord(), 0x7u);
    text.assign(251, ' ');
    text += "sse2";
    setenv("DVCODEC_CPUFEATURES", text.c_str(), 1);
    EXPECT_EQ(GetFeatureWord(), 0x2007u);
}

}  // namespace
}  // namespace encdv
