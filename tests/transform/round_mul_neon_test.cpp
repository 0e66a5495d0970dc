// The NEON flowgraph multiply over every 16-bit operand (built with the NEON kernels only).
#include <gtest/gtest.h>

#include <arm_neon.h>

#include <cstdint>

#include "transform/round_mul_neon.h"

namespace encdv {
namespace {

int64_t FloorDiv(int64_t n, int64_t d) {
    int64_t q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}

// (floor(x * 2^s * c / 65536) + 1) >> 1, arithmetic shift, in 64-bit integers.
int64_t RoundMulTwin(int x, int c, int s) {
    const int64_t scaled = static_cast<int64_t>(x) * (int64_t{1} << s) * c;
    return FloorDiv(FloorDiv(scaled, 65536) + 1, 2);
}

// Every 16-bit x: the exact result where it fits in 16 bits, and its low 16 bits (as the
// SSE2 kernels keep them) where it does not.
template <int S>
void CheckRoundMulExhaustively(int16_t c) {
    for (int base = -32768; base < 32768; base += 8) {
        alignas(16) int16_t x[8], y[8];
        for (int i = 0; i < 8; ++i) x[i] = static_cast<int16_t>(base + i);
        vst1q_s16(y, RoundMul<S>(vld1q_s16(x), c));
        for (int i = 0; i < 8; ++i) {
            const int64_t expected = RoundMulTwin(x[i], c, S);
            ASSERT_EQ(static_cast<uint16_t>(y[i]), static_cast<uint16_t>(expected & 0xFFFF))
                << "x=" << x[i] << " c=" << c << " s=" << S;
        }
    }
}

TEST(RoundMulNeon, IsExactOverEvery16BitOperand) {
    CheckRoundMulExhaustively<2>(23170);
    CheckRoundMulExhaustively<2>(25080);
    CheckRoundMulExhaustively<3>(17734);
    CheckRoundMulExhaustively<1>(27146);
    CheckRoundMulExhaustively<1>(-32768);
    CheckRoundMulExhaustively<15>(32767);
}

}  // namespace
}  // namespace encdv
