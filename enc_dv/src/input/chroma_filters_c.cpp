// The 4:1:1 chroma filters in plain integers: the reference for the vector versions.
#include <algorithm>

#include "input/chroma_filters.h"

namespace encdv {

void ChromaFilter4to1_C(const uint8_t* samples, uint8_t* output) {
    for (int k = 0; k < 8; ++k) {
        const uint8_t* s = samples + 4 * k;
        const int sum = 7 * s[-2] + 16 * s[-1] + 18 * s[0] + 16 * s[1] + 7 * s[2] + 30;
        output[k] = static_cast<uint8_t>(std::min(255, std::max(0, sum >> 6)));
    }
}

void ChromaFilter2to1_C(const uint8_t* samples, uint8_t* output) {
    for (int k = 0; k < 8; ++k) {
        const uint8_t* s = samples + 2 * k;
        output[k] = static_cast<uint8_t>((s[-1] + 6 * s[0] + s[1] + 2) >> 3);
    }
}

void SetChromaFilterKernels_C(ChromaFilterKernels& kernels) {
    kernels = {ChromaFilter4to1_C, ChromaFilter2to1_C};
}

}  // namespace encdv
