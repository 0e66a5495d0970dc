#ifndef ENC_DV_TESTS_TRANSFORM_BLOCK_PATTERNS_H
#define ENC_DV_TESTS_TRANSFORM_BLOCK_PATTERNS_H

#include <cstdint>
#include <random>
#include <vector>

namespace encdv::transform_test {

// One 8x8 block of samples, aligned like a block of MacroblockPixels.
struct alignas(16) SampleBlock {
    uint8_t s[64];
    uint8_t& at(int line, int column) { return s[8 * line + column]; }
};

// Builds the transform tables and flowgraph constants and selects the kernels this processor
// runs, as InitDVEnc does (idempotent).
void InitTransform();

// Random and adversarial blocks: uniform noise, random 0/255 patterns, checkerboards, stripes,
// ramps, flat and nearly flat blocks, field patterns. Deterministic for a given generator.
SampleBlock MakeBlock(std::mt19937& random);

// Blocks at the edges of the arithmetic: flat 0 and 255, checkerboards and line and column
// stripes of 0 and 255, and for every output of both DCT modes the 0/255 block that drives it
// to its largest magnitude (the sign pattern of its basis function); each also inverted.
std::vector<SampleBlock> ExtremeBlocks();

// The seed used by the randomised tests (printed by each of them so a failure can be replayed).
constexpr uint32_t kTestSeed = 0x20DC7u;

}  // namespace encdv::transform_test

#endif
