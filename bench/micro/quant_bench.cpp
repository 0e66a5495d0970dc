// Time of one SelectQuantization call on realistic segments, in both rate-control modes.
// The calls cycle through a set of different segments so that branch predictors cannot learn
// one segment by heart. Every iteration first restores the unquantized coefficients
// (BM_RestoreSegment times that copy alone, to be subtracted).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "coding/quant_selection.h"

namespace {

using encdv::CoefficientWord;
using encdv::kBlocksPerMacroblock;
using encdv::kMacroblocksPerSegment;
using encdv::MacroblockWork;

struct BenchSegment {
    MacroblockWork mb[kMacroblocksPerSegment];
    alignas(16) CoefficientWord original[kMacroblocksPerSegment][kBlocksPerMacroblock][64];

    // Coefficient magnitudes falling off with scan position, as natural pictures give; the
    // macroblocks range from flat to busy so that the QNOs and the corrections vary.
    explicit BenchSegment(std::mt19937& rng) {
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            encdv::PrepareMacroblockWork(mb[k]);
            const int mbScale = std::uniform_int_distribution<int>(100, 4000)(rng);
            for (int b = 0; b < kBlocksPerMacroblock; ++b) {
                CoefficientWord* w = original[k][b];
                w[0] = 0;
                const int scale = b < 4 ? mbScale : mbScale / 4;
                int32_t maxAc = 0;
                uint16_t sumAc = 0;
                for (int i = 1; i < 64; ++i) {
                    const int limit = std::min(511, scale * 8 / (i + 3));
                    const int magnitude = std::uniform_int_distribution<int>(0, limit)(rng);
                    w[i] = static_cast<CoefficientWord>(magnitude | ((rng() & 1) << 15));
                    maxAc = std::max(maxAc, magnitude);
                    sumAc = static_cast<uint16_t>(sumAc + magnitude);
                }
                mb[k].blocks[b].maxAc = maxAc;
                mb[k].blocks[b].sumAc = sumAc;
            }
        }
    }

    void Restore() {
        for (int k = 0; k < kMacroblocksPerSegment; ++k) {
            std::memcpy(mb[k].coefficientStore, original[k], sizeof original[k]);
            mb[k].qno = 15;
        }
    }
};

constexpr int kSegmentCount = 16;

std::vector<std::unique_ptr<BenchSegment>> MakeSegments() {
    std::mt19937 rng(0x5eedbe9c);
    std::vector<std::unique_ptr<BenchSegment>> segments;
    for (int i = 0; i < kSegmentCount; ++i) segments.push_back(std::make_unique<BenchSegment>(rng));
    return segments;
}

void BM_SelectQuantization(benchmark::State& state) {
    const auto segments = MakeSegments();
    const auto rate = static_cast<encdv::RateControl>(state.range(0));
    int i = 0;
    for (auto _ : state) {
        BenchSegment& segment = *segments[i];
        i = (i + 1) % kSegmentCount;
        segment.Restore();
        encdv::SelectQuantization(segment.mb, rate);
        benchmark::DoNotOptimize(segment.mb[4].totalBits);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelectQuantization)
    ->Arg(static_cast<int>(encdv::RateControl::kSequential))
    ->Arg(static_cast<int>(encdv::RateControl::kOnePass))
    ->ArgName("rate");

void BM_RestoreSegment(benchmark::State& state) {
    const auto segments = MakeSegments();
    int i = 0;
    for (auto _ : state) {
        segments[i]->Restore();
        i = (i + 1) % kSegmentCount;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RestoreSegment);

}  // namespace
