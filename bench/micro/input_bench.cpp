// Source readers: one 4:2:0 macroblock fetch, and one 4:1:1 frame preparation.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "common/video_mode.h"
#include "input/source_reader.h"

namespace encdv {
namespace {

struct BenchFrame {
    std::vector<uint8_t> bytes;
    int pitch;
    BenchFrame(int bytesPerPixel, int lines)
        : bytes(720 * bytesPerPixel * lines), pitch(720 * bytesPerPixel) {
        std::mt19937 random(1);
        for (auto& b : bytes) b = static_cast<uint8_t>(random());
    }
};

ReaderVariant Variant(PixelFormatCode code) {
    ReaderVariant variant = kVariantYUY2;
    SelectReaderVariant(code, false, &variant);
    return variant;
}

void ReadMacroblock420(benchmark::State& state, PixelFormatCode code, int bytesPerPixel) {
    BenchFrame frame(bytesPerPixel, 576);
    SourceReader* reader = CreateSourceReader(Variant(code), 1, MODE_625_420);
    reader->Open(reader, frame.bytes.data(), frame.pitch, 720, 576);
    reader->PrepareFrame(reader);
    MacroblockPixels mb;
    int x = 0, y = 0;
    for (auto _ : state) {
        reader->ReadMacroblock(reader, 0, x, y, &mb);
        benchmark::DoNotOptimize(mb);
        x += 16;
        if (x == 720) x = 0, y = (y + 16) % 576;
    }
    reader->Release(reader);
}

void PrepareFrame411(benchmark::State& state, PixelFormatCode code, int bytesPerPixel) {
    BenchFrame frame(bytesPerPixel, 480);
    SourceReader* reader = CreateSourceReader(Variant(code), 1, MODE_525_411);
    reader->Open(reader, frame.bytes.data(), frame.pitch, 720, 480);
    for (auto _ : state) {
        reader->PrepareFrame(reader);
        benchmark::ClobberMemory();
    }
    reader->Release(reader);
}

BENCHMARK_CAPTURE(ReadMacroblock420, YUY2, kFormatYUY2, 2);
BENCHMARK_CAPTURE(ReadMacroblock420, BGR4, kFormatBGR4, 4);
BENCHMARK_CAPTURE(PrepareFrame411, YUY2, kFormatYUY2, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PrepareFrame411, BGR4, kFormatBGR4, 4)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace encdv
