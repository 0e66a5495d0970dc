#ifndef ENC_DV_TRANSFORM_TRANSFORM_TABLES_H
#define ENC_DV_TRANSFORM_TRANSFORM_TABLES_H

#include <cstdint>

namespace encdv {

// The output multiply of one DCT mode: 64 multipliers followed by 64 rounding biases, entry k
// belonging to transform output k. The output stage computes
// floor((|x| + bias[k]) * multiplier[k] / 65536).
struct alignas(16) OutputScaleTable {
    int16_t multiplier[64];
    int16_t bias[64];
};
static_assert(sizeof(OutputScaleTable) == 256, "OutputScaleTable is 128 16-bit values");

// DV weighting factor w(n), n = 0..7 (IEC 61834-2, SMPTE 314M), in double precision.
double DvWeight(int n);

// Builds the two output scale tables once (later calls return at once). Called by InitDVEnc.
void BuildTransformTables();

// The output scale table of a DCT mode (0 = 8-8, 1 = 2-4-8). Valid after BuildTransformTables.
const OutputScaleTable& GetOutputScaleTable(int dctMode);

}  // namespace encdv

#endif
