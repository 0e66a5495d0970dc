// The processor feature word: CPUID detection or the CPUFeatures list of section DVCODEC.
#include "platform/cpu_features.h"

#include <cstring>

#include "platform/profile.h"
#include "platform/setting_words.h"
#include "platform/target.h"

namespace encdv {
namespace {

constexpr uint32_t kFeatureStandardLeaf1 = 0x2;
constexpr uint32_t kFeatureExtendedLeaf1 = 0x4;
constexpr uint32_t kFeatureTsc = 0x10;
constexpr uint32_t kFeatureMmx = 0x20;
constexpr uint32_t kFeatureCmov = 0x40;
constexpr uint32_t kFeature3dnow = 0x80;
constexpr uint32_t kFeature3dnowExt = 0x100;
constexpr uint32_t kFeatureMmxExt = 0x200;
constexpr uint32_t kFeatureSse = 0x400;
constexpr uint32_t kFeatureK6Mtrr = 0x800;
constexpr uint32_t kFeatureMtrr = 0x1000;
constexpr uint32_t kFeatureHyperThreading = 0x4000;
constexpr uint32_t kFeatureSse3 = 0x8000;

// Words of a CPUFeatures list and the bits each sets.
struct FeatureName {
    const char* word;
    uint32_t bits;
};
constexpr FeatureName kFeatureNames[] = {
    {"tsc", kFeatureTsc},
    {"mmx", kFeatureMmx},
    {"3dnow", kFeatureMmx},
    {"3dnowext", kFeatureMmx},
    {"cmov", kFeatureCmov},
    {"mmxext", kFeatureMmxExt},
    {"sse", kFeatureMmxExt | kFeatureSse},
    {"k6_mtrr", kFeatureK6Mtrr},
    {"p6_mtrr", kFeatureMtrr},
    {"sse2", kFeatureSse2},
    {"ht", kFeatureHyperThreading},
    {"sse3", kFeatureSse3},
    {"avx2", kFeatureAvx2},
};

uint32_t Bit(uint32_t value, int bit) {
    return (value >> bit) & 1;
}

// Whether the AVX2 kernels can run: AVX2 and BMI2 in leaf 7, AVX with OSXSAVE in leaf 1, and
// the XMM and YMM states enabled by the operating system in XCR0.
bool HasAvx2(CpuidFunction cpuid, Xcr0Function xcr0, uint32_t maxLeaf, uint32_t leaf1Ecx) {
    if (maxLeaf < 7 || !Bit(leaf1Ecx, 27) || !Bit(leaf1Ecx, 28)) return false;
    if ((xcr0() & 0x6) != 0x6) return false;
    const uint32_t leaf7Ebx = cpuid(7).ebx;
    return Bit(leaf7Ebx, 5) && Bit(leaf7Ebx, 8);
}

}  // namespace

uint32_t ParseFeatureList(const char* text) {
    uint32_t word = kFeatureValid | kFeatureStandardLeaf1 | kFeatureExtendedLeaf1;
    platform::ForEachSettingWord(text, [&word](const char* start, std::size_t length) {
        for (const FeatureName& name : kFeatureNames)
            if (platform::SettingWordIs(start, length, name.word)) word |= name.bits;
    });
    return word;
}

uint32_t DetectFeatures(CpuidFunction cpuid, Xcr0Function xcr0) {
    const platform::CpuidRegisters leaf0 = cpuid(0);
    if (leaf0.eax == 0) return kFeatureValid;
    // The vendor text is EBX, EDX, ECX, four little-endian characters each.
    char vendor[12];
    std::memcpy(vendor, &leaf0.ebx, 4);
    std::memcpy(vendor + 4, &leaf0.edx, 4);
    std::memcpy(vendor + 8, &leaf0.ecx, 4);
    const bool amd = std::memcmp(vendor, "AuthenticAMD", 12) == 0;

    uint32_t word = kFeatureStandardLeaf1;
    const platform::CpuidRegisters leaf1 = cpuid(1);
    const uint32_t edx = leaf1.edx;
    if (Bit(edx, 4)) word |= kFeatureTsc;
    if (Bit(edx, 23)) word |= kFeatureMmx;
    if (Bit(edx, 15)) word |= kFeatureCmov;
    if (Bit(edx, 25)) word |= kFeatureMmxExt | kFeatureSse;
    if (Bit(edx, 12)) word |= kFeatureMtrr;
    if (Bit(edx, 26)) word |= kFeatureSse2;
    if (Bit(edx, 28)) word |= kFeatureHyperThreading;
    if (Bit(leaf1.ecx, 0)) word |= kFeatureSse3;
    if (HasAvx2(cpuid, xcr0, leaf0.eax, leaf1.ecx)) word |= kFeatureAvx2;

    if (cpuid(0x80000000u).eax <= 0x80000000u) return word | kFeatureValid;
    word |= kFeatureExtendedLeaf1;
    const uint32_t extendedEdx = cpuid(0x80000001u).edx;
    if (Bit(extendedEdx, 31)) word |= kFeature3dnow;
    if (amd) {
        if (Bit(extendedEdx, 30)) word |= kFeature3dnowExt;
        if (!(word & kFeature3dnowExt) && Bit(extendedEdx, 22)) word |= kFeatureMmxExt;
        // K6 family, model and stepping 0x588 .. 0x5FF have the K6 range registers.
        const uint32_t signature = leaf1.eax & 0xFFF;
        if (signature >= 0x588 && signature < 0x600) word |= kFeatureK6Mtrr;
    }
    return word | kFeatureValid;
}

// The processor does not change while the process runs, so it is asked once (CPUID traps
// to the hypervisor in a virtual machine, which every frame would pay); the setting is still
// read on every call.
static uint32_t DetectedFeatures() {
    static const uint32_t detected = DetectFeatures(platform::ExecuteCpuid, platform::ReadXcr0);
    return detected;
}

uint32_t GetFeatureWord() {
    if constexpr (!platform::kTargetIsX86) {
        return kFeatureValid | (platform::kTargetIsAArch64 ? kFeatureNeon : 0);
    }
    char setting[256];
    platform::ReadProfileString("DVCODEC", "CPUFeatures", setting, sizeof(setting));
    if (setting[0] == '\0' || std::strcmp(setting, "auto") == 0) return DetectedFeatures();
    return ParseFeatureList(setting) & (DetectedFeatures() | ~kFeatureAvx2);
}

bool ProcessorCanEncode() {
    if constexpr (!platform::kTargetIsX86) return true;
    return (GetFeatureWord() & kFeatureSse2) != 0;
}

}  // namespace encdv
