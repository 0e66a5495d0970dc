#ifndef ENC_DV_TESTS_CODING_QUANT_TWINS_H
#define ENC_DV_TESTS_CODING_QUANT_TWINS_H

#include <cstdint>
#include <random>
#include <vector>

namespace encdv {
namespace twin {

// Quantizes a copy of `in` into out (16-byte aligned) with the portable quantizer kernel.
void Quantize(const uint16_t* in, int pattern, uint16_t* out);

// Plain twins of the list and count helpers, written from the arithmetic.
std::vector<uint8_t> NonzeroList(const uint16_t* block);
// Bits the coder emits for the listed coefficients plus end-of-block, taking the direct
// run/amplitude code only when d < 20 and a < 19.
int CountBlockBits(const uint16_t* block, const std::vector<uint8_t>& list);

}  // namespace twin

namespace test {

// A 16-byte-aligned coefficient block, as the quantizer requires.
struct alignas(16) CoefficientBlock {
    uint16_t w[64];
};

// A block the transform could deliver: word 0 zero, sign-magnitude words with magnitudes
// below 512 that shrink towards the high positions, scaled by 'scale' (0 = all zero).
void FillTransformLikeBlock(std::mt19937& rng, int scale, uint16_t* block);
// maxAc and sumAc (modulo 65536) of a block, as the transform measures them.
void MeasureBlock(const uint16_t* block, int32_t& maxAc, int32_t& sumAc);

}  // namespace test
}  // namespace encdv

#endif
