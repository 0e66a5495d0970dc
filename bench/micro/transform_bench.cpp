// Time of the transform kernels: each forward DCT per 8x8 block (output stage included), the
// motion test and the AC measure per block, and TransformMacroblock per six-block macroblock.
// Inputs cycle through a pool of natural-looking blocks (smooth ramps with noise, half of them
// with a field difference) so that both DCT modes occur.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "transform/forward_dct.h"
#include "transform/macroblock_transform.h"
#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace {

using encdv::CoefficientWord;
using encdv::MacroblockPixels;

constexpr int kPoolSize = 256;  // macroblocks

struct Pool {
    std::vector<MacroblockPixels> macroblocks;

    Pool() : macroblocks(kPoolSize) {
        encdv::BuildTransformTables();
        encdv::InitDctVectorConstants();
        std::mt19937 rng(0x7a5f0b3u);
        for (MacroblockPixels& mb : macroblocks) {
            for (auto& block : mb.blocks) {
                const int base = static_cast<int>(rng() % 200) + 20;
                const int dx = static_cast<int>(rng() % 13) - 6;
                const int dy = static_cast<int>(rng() % 13) - 6;
                const int field = (rng() % 2) ? static_cast<int>(rng() % 60) : 0;
                for (int i = 0; i < 64; ++i) {
                    const int l = i / 8, c = i % 8;
                    const int v = base + dx * c + dy * l + static_cast<int>(rng() % 9) - 4 +
                                  ((l % 2) ? field : 0);
                    block[i] = static_cast<uint8_t>(std::clamp(v, 0, 255));
                }
            }
        }
    }

    const uint8_t* Block(size_t i) const { return macroblocks[(i / 6) % kPoolSize].blocks[i % 6]; }
};

const Pool& GetPool() {
    static const Pool pool;
    return pool;
}

// The DCT this processor runs, and (Portable) its portable twin.
template <int Mode, bool Portable>
void BM_ForwardDct(benchmark::State& state) {
    const Pool& pool = GetPool();
    encdv::TransformKernels portable;
    encdv::InitTransformKernels(0, portable);
    const encdv::ForwardDctKernel Dct =
        (Portable ? portable : encdv::GetTransformKernels()).forwardDct[Mode];
    const encdv::OutputScaleTable& table = encdv::GetOutputScaleTable(Mode);
    alignas(64) CoefficientWord out[64];
    size_t i = 0;
    for (auto _ : state) {
        Dct(out, pool.Block(i++), table);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_TEMPLATE(BM_ForwardDct, 0, false)->Name("BM_ForwardDct88");
BENCHMARK_TEMPLATE(BM_ForwardDct, 1, false)->Name("BM_ForwardDct248");
BENCHMARK_TEMPLATE(BM_ForwardDct, 0, true)->Name("BM_ForwardDct88_C");
BENCHMARK_TEMPLATE(BM_ForwardDct, 1, true)->Name("BM_ForwardDct248_C");

void BM_ChooseDctMode(benchmark::State& state) {
    const Pool& pool = GetPool();
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(encdv::ChooseDctMode(pool.Block(i++)));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ChooseDctMode);

void BM_ScanAndMeasure88(benchmark::State& state) {
    const Pool& pool = GetPool();
    struct alignas(64) Transformed {
        CoefficientWord T[64];
    };
    std::vector<Transformed> transformed(6 * kPoolSize);
    for (size_t i = 0; i < transformed.size(); ++i)
        encdv::GetTransformKernels().forwardDct[0](transformed[i].T, pool.Block(i),
                                                   encdv::GetOutputScaleTable(0));
    alignas(16) CoefficientWord coefficients[64] = {};
    size_t i = 0;
    for (auto _ : state) {
        encdv::ScanCoefficients88(coefficients, transformed[i++ % transformed.size()].T);
        benchmark::DoNotOptimize(encdv::MeasureAc(coefficients));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScanAndMeasure88);

void BM_TransformMacroblock(benchmark::State& state) {
    const Pool& pool = GetPool();
    encdv::MacroblockWork work;
    encdv::PrepareMacroblockWork(work);
    size_t i = 0;
    for (auto _ : state) {
        encdv::TransformMacroblock(work, pool.macroblocks[i++ % kPoolSize]);
        benchmark::DoNotOptimize(work);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TransformMacroblock);

}  // namespace
