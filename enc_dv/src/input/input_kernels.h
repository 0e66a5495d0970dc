#ifndef ENC_DV_INPUT_INPUT_KERNELS_H
#define ENC_DV_INPUT_INPUT_KERNELS_H

#include <cstdint>

#include "input/chroma_filters.h"
#include "input/planar_chroma.h"
#include "input/reader_kernels.h"
#include "input/row_kernels.h"

namespace encdv {

// The kernels of the source readers.
struct InputKernels {
    RowKernelTable rows;
    ChromaFilterKernels chromaFilters;
    ReaderKernels reader;
    PlanarChromaKernels planarChroma;
};

// Fills `kernels` for a processor with the feature bits (FeatureWord): the portable kernels,
// then the vector kernels that this build contains and the features allow. Features 0 give
// the portable kernels alone.
void InitInputKernels(uint32_t features, InputKernels& kernels);

// Fills the library's table once, from InitDVEnc; until then it holds the portable kernels.
// Readers take their kernels from it when they are built.
void SelectInputKernels(uint32_t features);

// The library's table.
const InputKernels& GetInputKernels();

}  // namespace encdv

#endif
