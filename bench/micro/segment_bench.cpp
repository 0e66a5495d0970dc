// Time of one CodeSegment call (five video DIF blocks) on segments quantized by the real
// quantization selection: natural-picture statistics, and noise whose codes overflow the
// segment. The calls cycle through a set of segments so that branch predictors cannot
// learn one by heart; CodeSegment leaves its input unchanged, so nothing is restored.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "coding/quant_selection.h"
#include "coding/segment_coder.h"

namespace encdv {
namespace {

constexpr int kSegments = 64;

struct BenchSegments {
    SegmentWork work[kSegments];
    SegmentData output;
    double acBits = 0;  // mean AC code bits per segment; 2680 fit

    // falloff: larger values keep more high-frequency energy (noise at about 64).
    explicit BenchSegments(double falloff) {
        std::mt19937 random(42);
        for (SegmentWork& segment : work) {
            for (int k = 0; k < kMacroblocksPerSegment; ++k) {
                MacroblockWork& mb = segment.macroblocks[k];
                PrepareMacroblockWork(mb);
                mb.qno = 15;
                mb.sta = 0;
                const double scale = 20.0 + random() % 200;
                for (int b = 0; b < kBlocksPerMacroblock; ++b) {
                    BlockWork& block = mb.blocks[b];
                    block.dc = static_cast<int>(random() % 400) - 200;
                    block.dctMode = random() % 4 == 0;
                    CoefficientWord* words = block.coefficients;
                    int maxAc = 0, sumAc = 0;
                    words[0] = 0;
                    for (int q = 1; q < 64; ++q) {
                        const double expected = scale * std::exp(-q / falloff) * (b < 4 ? 1 : 0.4);
                        const int magnitude =
                            std::min(511, static_cast<int>(expected * (random() % 1000) / 700.0));
                        words[q] = static_cast<CoefficientWord>(magnitude |
                                                                ((random() & 1) ? kSignBit : 0));
                        maxAc = std::max(maxAc, magnitude);
                        sumAc += magnitude;
                    }
                    block.maxAc = maxAc;
                    block.sumAc = sumAc & 0xFFFF;
                }
            }
            SelectQuantization(segment.macroblocks, RateControl::kSequential);
            for (const MacroblockWork& mb : segment.macroblocks) acBits += mb.totalBits;
        }
        acBits /= kSegments;
    }
};

void CodeSegments(benchmark::State& state, double falloff) {
    const auto segments = std::make_unique<BenchSegments>(falloff);
    int next = 0;
    for (auto _ : state) {
        CodeSegment(segments->work[next], segments->output);
        benchmark::DoNotOptimize(segments->output);
        benchmark::ClobberMemory();
        next = (next + 1) % kSegments;
    }
    state.counters["acBits"] = segments->acBits;
}

BENCHMARK_CAPTURE(CodeSegments, natural, 8.0);
BENCHMARK_CAPTURE(CodeSegments, detailed, 20.0);
BENCHMARK_CAPTURE(CodeSegments, noise, 1000.0);

}  // namespace
}  // namespace encdv
