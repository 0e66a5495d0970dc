#ifndef ENC_DV_PLATFORM_CPU_FEATURES_H
#define ENC_DV_PLATFORM_CPU_FEATURES_H

#include <cstdint>

#include "platform/processor.h"

namespace encdv {

constexpr uint32_t kFeatureValid = 0x1;
constexpr uint32_t kFeatureSse2 = 0x2000;
// Advanced SIMD: set on AArch64 builds, where every processor has it; never on x86.
constexpr uint32_t kFeatureNeon = 0x10000;
// The AVX2 kernels may run: the processor has AVX2 and BMI2 (CPUID leaf 7) and the operating
// system saves the YMM registers (OSXSAVE, and XCR0 with the XMM and YMM states).
constexpr uint32_t kFeatureAvx2 = 0x20000;

// Processor feature bits. On x86: detected with CPUID (once per process), or taken from the
// CPUFeatures setting of section DVCODEC when that names a list; the setting is read anew on
// every call. A list can clear kFeatureAvx2 but not set it where detection does not (the
// AVX2 kernels would fault there). Elsewhere the setting is not read: 0x1, with kFeatureNeon
// on AArch64.
uint32_t GetFeatureWord();

// Whether frames may be encoded on this processor. On x86, the SSE2 bit of
// GetFeatureWord(): without SSE2, or with a CPUFeatures list lacking "sse2", every frame is
// refused. Elsewhere always true, and the setting (which names x86 features) is not read.
bool ProcessorCanEncode();

// The feature word of a CPUFeatures list: words separated by runs of space, comma, tab
// or newline, compared without regard to case; unknown words are ignored. Always has
// the bits 0x7.
uint32_t ParseFeatureList(const char* text);

// The feature word detected through cpuid and xcr0 (the processor's, or a test's fakes;
// xcr0 is called only where cpuid reports OSXSAVE).
using CpuidFunction = platform::CpuidRegisters (*)(uint32_t leaf);
using Xcr0Function = uint32_t (*)();
uint32_t DetectFeatures(CpuidFunction cpuid, Xcr0Function xcr0);

}  // namespace encdv

#endif
