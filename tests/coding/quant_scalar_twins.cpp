#include "quant_scalar_twins.h"

#include <algorithm>

#include "coding/quant_tables.h"
#include "coding/vlc_tables.h"

namespace encdv {
namespace test {

namespace {
int AreaOf(int position) {
    if (position <= 5) return 0;
    if (position <= 20) return 1;
    if (position <= 42) return 2;
    return 3;
}
}  // namespace

void ScalarQuantize(const uint16_t* in, int pattern, uint16_t* out) {
    for (int k = 0; k < 64; ++k) {
        out[k] =
            static_cast<uint16_t>(static_cast<int16_t>(in[k]) >> QuantPattern[pattern][AreaOf(k)]);
    }
}

std::vector<uint8_t> ScalarNonzeroList(const uint16_t* block) {
    std::vector<uint8_t> list;
    for (int k = 1; k < 64; ++k) {
        if (block[k] & 0xFF) list.push_back(static_cast<uint8_t>(k));
    }
    return list;
}

int ScalarCountBits(const uint16_t* block, const std::vector<uint8_t>& list) {
    int bits = 0;
    int previous = 0;
    for (const uint8_t q : list) {
        const int d = q - previous;
        const int a = block[q] & 0xFF;
        const int s = block[q] >> 15;
        if (d < 20 && a < 19) {
            bits += RunAmpCodeTable[d - 1][2 * a + s] & 0xFF;
        } else {
            bits += (ZeroRunCodeTable[d] & 0xFF) + (AmplitudeCodeTable[2 * a + s] & 0xFF);
        }
        previous = q;
    }
    return bits + static_cast<int>(ZeroRunCodeTable[64] & 0xFF);
}

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
