#ifndef ENC_DV_PLATFORM_PROCESSOR_H
#define ENC_DV_PLATFORM_PROCESSOR_H

#include <cstdint>

namespace encdv::platform {

// Registers returned by the processor identification instruction.
struct CpuidRegisters {
    uint32_t eax;
    uint32_t ebx;
    uint32_t ecx;
    uint32_t edx;
};

// Executes CPUID for a leaf (sub-leaf 0). All zero off x86, where the instruction does
// not exist.
CpuidRegisters ExecuteCpuid(uint32_t leaf);

// The low 32 bits of extended control register 0 (XGETBV 0): which register states the
// operating system saves on a thread switch (bit 1 the XMM, bit 2 the upper YMM halves).
// Only to be called where CPUID leaf 1 reports OSXSAVE; 0 off x86.
uint32_t ReadXcr0();

// A word several threads change without a lock (the spin lock and done flag of the
// one-time initialisation).
using SharedWord = volatile long;

// Stores value into word and returns the previous content; a full memory barrier.
long ExchangeWord(SharedWord* word, long value);
// Reads word with acquire ordering.
long LoadWord(SharedWord* word);
// Adds value to word and returns the sum; a full memory barrier.
long AddToWord(SharedWord* word, long value);

// Leaves the MMX state so that the caller's x87 floating-point code runs normally; does
// nothing off x86.
void ClearMmxState();

}  // namespace encdv::platform

#endif
