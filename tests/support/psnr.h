#ifndef ENC_DV_TESTS_SUPPORT_PSNR_H
#define ENC_DV_TESTS_SUPPORT_PSNR_H

#include <cstdint>
#include <vector>

namespace encdv {
namespace test {

// Peak signal-to-noise ratio in dB of two 8-bit planes of width x height samples, each
// with its own stride; +infinity when they are identical.
double Psnr(const uint8_t* a, int strideA, const uint8_t* b, int strideB, int width, int height);

// The same for two tightly packed planes of equal size.
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width, int height);

}  // namespace test
}  // namespace encdv

#endif
