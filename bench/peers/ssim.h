#ifndef ENC_DV_BENCH_PEERS_SSIM_H
#define ENC_DV_BENCH_PEERS_SSIM_H

#include <cstdint>

namespace encdv {
namespace bench {

// Mean structural similarity of two 8-bit planes of width x height samples, tightly packed:
// local statistics under an 11 x 11 Gaussian window (sigma 1.5), constants
// C1 = (0.01 * 255)^2 and C2 = (0.03 * 255)^2, averaged over every window position that lies
// wholly inside the plane. 1 for identical planes; NaN for planes smaller than the window.
double Ssim(const uint8_t* a, const uint8_t* b, int width, int height);

}  // namespace bench
}  // namespace encdv

#endif
