#ifndef ENC_DV_TRANSFORM_ROUND_MUL_NEON_H
#define ENC_DV_TRANSFORM_ROUND_MUL_NEON_H

#include <arm_neon.h>

#include <cstdint>

namespace encdv {

// The flowgraph multiply on eight signed 16-bit lanes: (floor(x * 2^S * c / 65536) + 1) >> 1.
//
// 2^S divides x * 2^S * c, so the floor is floor(x c / 2^(16 - S)), and adding 1 before
// halving makes the whole (x c + 2^(16 - S)) >> (17 - S): one rounding narrowing shift of the
// 32-bit product, which cannot overflow (|x c| <= 2^30). Where the result needs more than
// 16 bits, its low 16 bits are kept, as the SSE2 formulation keeps them.
template <int S>
inline int16x8_t RoundMul(int16x8_t x, int16_t c) {
    static_assert(S >= 1 && S <= 15, "shift out of range");
    const int16x4_t low = vrshrn_n_s32(vmull_n_s16(vget_low_s16(x), c), 17 - S);
    return vrshrn_high_n_s32(low, vmull_high_n_s16(x, c), 17 - S);
}

}  // namespace encdv

#endif
