#include "quant_twins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "coding/quantizer.h"
#include "coding/vlc_tables.h"
#include "platform/cpu_features.h"

namespace encdv {

namespace {

// The coding tests run the kernels that InitDVEnc chooses for this processor.
class SelectKernels : public ::testing::Environment {
    void SetUp() override { SelectQuantizerKernels(GetFeatureWord()); }
};
const ::testing::Environment* const kSelectKernels =
    ::testing::AddGlobalTestEnvironment(new SelectKernels);

}  // namespace

namespace twin {

void Quantize(const uint16_t* in, int pattern, uint16_t* out) {
    QuantizerKernels portable;
    InitQuantizerKernels(0, portable);
    std::memcpy(out, in, 64 * sizeof *out);
    portable.quantize[pattern](out);
}

std::vector<uint8_t> NonzeroList(const uint16_t* block) {
    std::vector<uint8_t> list;
    for (int k = 1; k < 64; ++k) {
        if (block[k] & 0xFF) list.push_back(static_cast<uint8_t>(k));
    }
    return list;
}

int CountBlockBits(const uint16_t* block, const std::vector<uint8_t>& list) {
    int bits = 0;
    int previous = 0;
    for (const uint8_t q : list) {
        const int d = q - previous;
        const int a = block[q] & 0xFF;
        const int s = block[q] >> 15;
        if (d < 20 && a < 19) {
            bits += RunAmpCodeTable.codes[d - 1][2 * a + s] & 0xFF;
        } else {
            bits +=
                (ZeroRunCodeTable.codes[d] & 0xFF) + (AmplitudeCodeTable.codes[2 * a + s] & 0xFF);
        }
        previous = q;
    }
    return bits + static_cast<int>(ZeroRunCodeTable.codes[64] & 0xFF);
}

}  // namespace twin

namespace test {

void FillTransformLikeBlock(std::mt19937& rng, int scale, uint16_t* block) {
    block[0] = 0;
    for (int k = 1; k < 64; ++k) {
        const int limit = std::min(511, scale * 8 / (k + 3));
        const int magnitude = std::uniform_int_distribution<int>(0, limit)(rng);
        const bool negative = rng() & 1;  // includes "negative zero", the word 0x8000
        block[k] = static_cast<uint16_t>(magnitude | (negative ? 0x8000 : 0));
    }
}

void MeasureBlock(const uint16_t* block, int32_t& maxAc, int32_t& sumAc) {
    maxAc = 0;
    uint16_t sum = 0;
    for (int k = 1; k < 64; ++k) {
        const int magnitude = block[k] & 2047;
        maxAc = std::max(maxAc, magnitude);
        sum = static_cast<uint16_t>(sum + magnitude);
    }
    sumAc = sum;
}

}  // namespace test
}  // namespace encdv
