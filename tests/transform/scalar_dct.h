#ifndef ENC_DV_TESTS_TRANSFORM_SCALAR_DCT_H
#define ENC_DV_TESTS_TRANSFORM_SCALAR_DCT_H

#include <cstdint>

#include "transform/transform_tables.h"

// Plain-integer twins of the transform kernels, written straight from the arithmetic and never
// tuned. Intermediates are full-width ints, so a vector kernel that wraps a 16-bit lane
// disagrees with its twin.
namespace encdv::scalar {

// (floor(x * 2^s * c / 65536) + 1) >> 1, arithmetic shift.
int RoundMul(int x, int c, int s);

// floor((|x| + bias) * multiplier / 65536) with bit 15 set for a negative x.
uint16_t OutputStage(int x, int multiplier, int bias);

void ForwardDct88(uint16_t T[64], const uint8_t samples[64], const OutputScaleTable& table);
void ForwardDct248(uint16_t T[64], const uint8_t samples[64], const OutputScaleTable& table);

// Sum of |line 2z - line 2z+1| over the four line pairs and eight columns.
int FieldDifference(const uint8_t samples[64]);
int ChooseDctMode(const uint8_t samples[64]);

// sumAc << 16 | maxAc from the low 11 bits of words 1-63.
uint32_t MeasureAc(const uint16_t coefficients[64]);

}  // namespace encdv::scalar

#endif
