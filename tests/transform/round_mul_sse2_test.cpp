// The SSE2 flowgraph multiply over every 16-bit operand (built with the SSE2 kernels only).
#include <gtest/gtest.h>

#include <emmintrin.h>

#include <cstdint>

#include "transform/round_mul_sse2.h"

namespace encdv {
namespace {

int64_t FloorDiv(int64_t n, int64_t d) {
    int64_t q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}

namespace twin {

// (floor(x * 2^s * c / 65536) + 1) >> 1, arithmetic shift, in 64-bit integers.
int RoundMul(int x, int c, int s) {
    const int64_t scaled = static_cast<int64_t>(x) * (int64_t{1} << s) * c;
    return static_cast<int>(FloorDiv(FloorDiv(scaled, 65536) + 1, 2));
}

}  // namespace twin

// The flowgraph multiply against its twin for every 16-bit x whose result fits in 16 bits;
// x 2^s itself needs 17 bits for large x.
template <int S>
void CheckRoundMulExhaustively(int c) {
    const __m128i constant = _mm_set1_epi16(static_cast<int16_t>(c));
    int checked = 0;
    for (int base = -32768; base < 32768; base += 8) {
        alignas(16) int16_t x[8], y[8];
        for (int i = 0; i < 8; ++i) x[i] = static_cast<int16_t>(base + i);
        _mm_store_si128(reinterpret_cast<__m128i*>(y),
                        RoundMul<S>(_mm_load_si128(reinterpret_cast<const __m128i*>(x)), constant));
        for (int i = 0; i < 8; ++i) {
            const int expected = twin::RoundMul(x[i], c, S);
            if (expected < -32768 || expected > 32767) continue;
            ++checked;
            ASSERT_EQ(y[i], expected) << "x=" << x[i] << " c=" << c << " s=" << S;
        }
    }
    EXPECT_GT(checked, 30000);
}

TEST(RoundMulSse2, IsExactOverThe17BitOperand) {
    CheckRoundMulExhaustively<2>(23170);
    CheckRoundMulExhaustively<2>(25080);
    CheckRoundMulExhaustively<3>(17734);
    CheckRoundMulExhaustively<1>(27146);
}

}  // namespace
}  // namespace encdv
