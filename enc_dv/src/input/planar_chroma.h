#ifndef ENC_DV_INPUT_PLANAR_CHROMA_H
#define ENC_DV_INPUT_PLANAR_CHROMA_H

// Chroma kernels of the planar readers where the layout's sampling differs from the DV
// system's; where they agree the readers copy samples unchanged.
#include <cstddef>
#include <cstdint>

namespace encdv {

// One 8x8 chroma block of the 4:2:0 system from 16 chroma lines of a macroblock, each line's
// 8 samples starting at rows + line x pitch: block row 2G + p is the rounded average
// (a + b + 1) >> 1 of lines 4G + p and 4G + p + 2, two lines of the same field. From a 4:2:2
// plane the lines are read as they are; from a 4:1:1 plane (FieldAverage411) each line's 8
// samples are first made from 5 quarter-resolution ones, sample 2k from s[k] and sample
// 2k + 1 from (s[k] + s[k + 1] + 1) >> 1; the fifth, s[4], is only read when lastColumn is
// false (at the picture's right edge s[4] stands for s[3]).
using FieldAverageKernel = void (*)(const uint8_t* rows, std::ptrdiff_t pitch, uint8_t* block);
using FieldAverage411Kernel = void (*)(const uint8_t* rows, std::ptrdiff_t pitch, bool lastColumn,
                                       uint8_t* block);

// count samples (a multiple of 8) of a chroma line between two lines of the same field, a
// quarter of the way from `nearer` to `farther`: (3 a + b + 2) >> 2.
using BlendRowsKernel = void (*)(const uint8_t* nearer, const uint8_t* farther, int count,
                                 uint8_t* output);

// The 4:1:1 chroma filter of the packed readers, (s[c-1] + 6 s[c] + s[c+1] + 2) >> 3 at
// centres c = 0, 2, ..., 14, on samples s that are themselves BlendRows of two chroma lines:
// reads nearer[-1] to nearer[16] and farther[-1] to farther[16].
using BlendFilterKernel = void (*)(const uint8_t* nearer, const uint8_t* farther, uint8_t* output);

struct PlanarChromaKernels {
    FieldAverageKernel fieldAverage422;
    FieldAverage411Kernel fieldAverage411;
    BlendRowsKernel blendRows;
    BlendFilterKernel blendFilter2to1;
};

void FieldAverage422_C(const uint8_t* rows, std::ptrdiff_t pitch, uint8_t* block);
void FieldAverage411_C(const uint8_t* rows, std::ptrdiff_t pitch, bool lastColumn, uint8_t* block);
void BlendRows_C(const uint8_t* nearer, const uint8_t* farther, int count, uint8_t* output);
void BlendFilter2to1_C(const uint8_t* nearer, const uint8_t* farther, uint8_t* output);
void SetPlanarChromaKernels_C(PlanarChromaKernels& kernels);
void SetPlanarChromaKernels_SSE2(PlanarChromaKernels& kernels);
void SetPlanarChromaKernels_NEON(PlanarChromaKernels& kernels);

}  // namespace encdv

#endif
