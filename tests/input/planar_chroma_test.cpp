// The planar readers' chroma kernels, vector and portable, against their twins: inputs in
// buffers of exactly the bytes each kernel may read (the sanitizer builds catch a read beyond
// them), outputs in guarded buffers.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "input/planar_chroma.h"
#include "reader_fixture.h"
#include "support/kernel_check.h"

namespace encdv::test {
namespace {

// The vector kernels this build has for this processor's instruction set, if any.
bool VectorKernels(PlanarChromaKernels& kernels) {
#if ENC_DV_SSE2_KERNELS
    SetPlanarChromaKernels_SSE2(kernels);
    return true;
#elif ENC_DV_NEON_KERNELS
    SetPlanarChromaKernels_NEON(kernels);
    return true;
#else
    static_cast<void>(kernels);
    return false;
#endif
}

uint8_t Sample(std::mt19937& random, int pattern) {
    const uint8_t r = static_cast<uint8_t>(random());
    return pattern == 0 ? r : pattern == 1 ? (r & 1) * 255 : 255 - (r & 3);
}

TEST(PlanarChroma, MatchTwinOnRandomAndExtremeSamples) {
    PlanarChromaKernels vector;
    if (!VectorKernels(vector)) GTEST_SKIP() << "no vector kernels in this build";
    PlanarChromaKernels twin;
    SetPlanarChromaKernels_C(twin);
    std::mt19937 random(kSeed);
    for (int trial = 0; trial < 20000; ++trial) {
        const int pattern = trial % 3;
        const int pitch = 8 + static_cast<int>(random() % 3) * 8;
        // Sixteen lines of eight samples, pitch apart; the last line ends the buffer.
        std::vector<uint8_t> rows(static_cast<size_t>(15 * pitch + 8));
        for (auto& v : rows) v = Sample(random, pattern);
        GuardedBuffer got(64), want(64);
        vector.fieldAverage422(rows.data(), pitch, got.data());
        twin.fieldAverage422(rows.data(), pitch, want.data());
        ASSERT_TRUE(SameOutput(got, want)) << "fieldAverage422, trial " << trial;

        // 4:1:1 lines of five samples, or four at the right edge.
        const bool last = trial % 2 == 0;
        std::vector<uint8_t> quarter(static_cast<size_t>(15 * pitch + (last ? 4 : 5)));
        for (auto& v : quarter) v = Sample(random, pattern);
        got.Reset();
        want.Reset();
        vector.fieldAverage411(quarter.data(), pitch, last, got.data());
        twin.fieldAverage411(quarter.data(), pitch, last, want.data());
        ASSERT_TRUE(SameOutput(got, want)) << "fieldAverage411, trial " << trial;

        // Two chroma lines for the blend, and for the blend with the 4:1:1 filter (which reads
        // one sample before and sixteen after its first centre).
        std::vector<uint8_t> nearer(32), farther(32);
        for (auto& v : nearer) v = Sample(random, pattern);
        for (auto& v : farther) v = Sample(random, (pattern + trial / 3) % 3);
        got.Reset();
        want.Reset();
        vector.blendRows(nearer.data(), farther.data(), 32, got.data());
        twin.blendRows(nearer.data(), farther.data(), 32, want.data());
        ASSERT_TRUE(SameOutput(got, want, 32)) << "blendRows, trial " << trial;
        std::vector<uint8_t> a(nearer.begin(), nearer.begin() + 18);
        std::vector<uint8_t> b(farther.begin(), farther.begin() + 18);
        got.Reset();
        want.Reset();
        vector.blendFilter2to1(a.data() + 1, b.data() + 1, got.data());
        twin.blendFilter2to1(a.data() + 1, b.data() + 1, want.data());
        ASSERT_TRUE(SameOutput(got, want, 8)) << "blendFilter2to1, trial " << trial;
    }
}

// The portable kernels on worked values: a rounded mean per field, the doubled 4:1:1 line,
// and the quarter-way blend.
TEST(PlanarChroma, PortableKernelsGiveTheWorkedValues) {
    uint8_t rows[16 * 8];
    for (int line = 0; line < 16; ++line)
        for (int i = 0; i < 8; ++i) rows[8 * line + i] = static_cast<uint8_t>(10 * line + i);
    uint8_t block[64];
    FieldAverage422_C(rows, 8, block);
    // Block row 2G + p from lines 4G + p and 4G + p + 2: 10 (4G + p) + 10 + i.
    EXPECT_EQ(block[8 * 0 + 3], 13);
    EXPECT_EQ(block[8 * 1 + 3], 23);
    EXPECT_EQ(block[8 * 7 + 0], 10 * 13 + 10);
    const uint8_t quarter[5] = {10, 21, 40, 0, 200};
    uint8_t doubled[16 * 8];
    for (int line = 0; line < 16; ++line) std::copy(quarter, quarter + 5, doubled + 8 * line);
    FieldAverage411_C(doubled, 8, false, block);
    const uint8_t expected[8] = {10, 16, 21, 31, 40, 20, 0, 100};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(block[i], expected[i]) << i;
    FieldAverage411_C(doubled, 8, true, block);
    EXPECT_EQ(block[7], 0);  // the edge repeats the last sample
    const uint8_t a[8] = {0, 255, 100, 1, 2, 3, 4, 5}, b[8] = {255, 0, 101, 2, 0, 0, 0, 0};
    uint8_t blended[8];
    BlendRows_C(a, b, 8, blended);
    EXPECT_EQ(blended[0], 64);   // (0 + 255 + 2) / 4
    EXPECT_EQ(blended[1], 191);  // (765 + 0 + 2) / 4
    EXPECT_EQ(blended[2], 100);  // (300 + 101 + 2) / 4
}

}  // namespace
}  // namespace encdv::test
