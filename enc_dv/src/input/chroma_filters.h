#ifndef ENC_DV_INPUT_CHROMA_FILTERS_H
#define ENC_DV_INPUT_CHROMA_FILTERS_H

#include <cstdint>

namespace encdv {

// Horizontal chroma decimation of the 4:1:1 reader, 8 output samples per call. The portable
// kernels (Name_C) are the twins of the vector ones.
using ChromaFilterKernel = void (*)(const uint8_t* samples, uint8_t* output);

// From a full-resolution line: output k is centred on samples[4k],
// (7 s[c-2] + 16 s[c-1] + 18 s[c] + 16 s[c+1] + 7 s[c+2] + 30) >> 6, clamped to 0-255.
// Reads samples[-2] to samples[33].
void ChromaFilter4to1_C(const uint8_t* samples, uint8_t* output);

// From a half-resolution line: output k is centred on samples[2k],
// (s[c-1] + 6 s[c] + s[c+1] + 2) >> 3. Reads samples[-1] to samples[16].
void ChromaFilter2to1_C(const uint8_t* samples, uint8_t* output);

// The chroma filters.
struct ChromaFilterKernels {
    ChromaFilterKernel filter4to1;
    ChromaFilterKernel filter2to1;
};

// The kernels of one instruction set: the portable ones (the reference every vector version
// equals bit for bit), the SSE2 ones (x86 builds with vector kernels only) and the NEON ones
// (AArch64 builds with vector kernels only).
void SetChromaFilterKernels_C(ChromaFilterKernels& kernels);
void SetChromaFilterKernels_SSE2(ChromaFilterKernels& kernels);
void SetChromaFilterKernels_NEON(ChromaFilterKernels& kernels);

}  // namespace encdv

#endif
