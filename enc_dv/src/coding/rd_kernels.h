#ifndef ENC_DV_CODING_RD_KERNELS_H
#define ENC_DV_CODING_RD_KERNELS_H

#include <cstdint>

#include "coding/quant_tables.h"

namespace encdv {

// The best-quality search's costs of one macroblock at one multiplier (rd_cost.h): from each
// of its six blocks' terms (the rows of RdSegmentWork's scaledError and costRate),
//   cost[b][p] = scaledError[b][p] + lambda x costRate[b][p] for every step pattern p, and
//   qnoCost[q] = the sum over the blocks of the least cost[b][QuantPatternIndex[c][q]] over
//                the classes c, for every QNO q,
// in 64-bit integers (lambda below 2^49, rates below 2^15). No output needs alignment.
using MacroblockCostsFunction = void (*)(const int64_t (*scaledError)[kQuantPatternCount],
                                         const int32_t (*costRate)[kQuantPatternCount],
                                         uint64_t lambda, int64_t (*cost)[kQuantPatternCount],
                                         int64_t* qnoCost);

// The kernels of the best-quality search.
struct RdKernels {
    MacroblockCostsFunction macroblockCosts;
};

// Fills `kernels` for a processor with the feature bits (FeatureWord): the portable kernels,
// then the vector kernels that this build contains and the features allow. Features 0 give
// the portable kernels alone.
void InitRdKernels(uint32_t features, RdKernels& kernels);

// Fills the library's table once, from InitDVEnc; until then it holds the portable kernels.
void SelectRdKernels(uint32_t features);

// The library's table.
const RdKernels& GetRdKernels();

// The kernels of one instruction set: the portable ones (the reference every vector version
// equals bit for bit) and the AVX2 ones (x86 builds with vector kernels only).
void SetRdKernels_C(RdKernels& kernels);
void SetRdKernels_AVX2(RdKernels& kernels);

}  // namespace encdv

#endif
