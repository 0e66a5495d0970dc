#ifndef ENC_DV_CODING_RD_KERNELS_H
#define ENC_DV_CODING_RD_KERNELS_H

#include <cstdint>

#include "coding/quant_tables.h"
#include "coding/rd_block.h"

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

// Each step pattern's rate and error from the areas' figures at each shift (MeasureBlockRd):
//   rate[p] = 4 + the sum over the areas a of areaBits[a][QuantPattern[p][a]],
//   error[p] = the sum of areaError[a][QuantPattern[p][a]] (modulo 2^32),
// except where the rate comes to 2^20 or more (an area marked uncodable at a shift by bits of
// 2^20): rate kInvalidRate and error 0xFFFFFFFF. Other area bits stay below 2^16.
using PatternSumsFunction = void (*)(const int32_t (*areaBits)[kShiftCount],
                                     const uint32_t (*areaError)[kShiftCount], int32_t* rate,
                                     uint32_t* error);

// WholeCoefficientBits (rd_block.h) of 64 magnitudes (any 16-bit values): the sum of the
// bit lengths of their whole parts m >> kRdFractionBits, taken as 9 from 256 up, plus one for
// each whole part that is not zero.
using WholeBitsFunction = int32_t (*)(const uint16_t* magnitudes);

// The kernels of the best-quality search.
struct RdKernels {
    MacroblockCostsFunction macroblockCosts;
    PatternSumsFunction patternSums;
    WholeBitsFunction wholeBits;
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
