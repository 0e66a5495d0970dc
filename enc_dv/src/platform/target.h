#ifndef ENC_DV_PLATFORM_TARGET_H
#define ENC_DV_PLATFORM_TARGET_H

namespace encdv::platform {

// Whether the library is built for x86 (32 or 64 bits). Only there does the processor have
// the identification instruction, and only there is SSE2 a condition of encoding.
#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
constexpr bool kTargetIsX86 = true;
#else
constexpr bool kTargetIsX86 = false;
#endif

// Whether the library is built for 64-bit ARM, where Advanced SIMD (NEON) is part of every
// processor.
#if defined(__aarch64__) || defined(_M_ARM64)
constexpr bool kTargetIsAArch64 = true;
#else
constexpr bool kTargetIsAArch64 = false;
#endif

}  // namespace encdv::platform

#endif
