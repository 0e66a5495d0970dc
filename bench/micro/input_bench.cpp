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
    PrepareWholeFrame(reader);
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
        PrepareWholeFrame(reader);
        benchmark::ClobberMemory();
    }
    reader->Release(reader);
}

// A whole frame as the encoder reads it: every band converted ahead, then every macroblock of the
// mode once. bytesPerPixel 0: a planar layout (the luma plane's pitch is 720, the planes follow).
void ReadFrame(benchmark::State& state, PixelFormatCode code, int bytesPerPixel, int mode) {
    const int lines = mode == MODE_525_411 ? 480 : 576;
    BenchFrame frame(bytesPerPixel == 0 ? 2 : bytesPerPixel, lines);
    const int pitch = bytesPerPixel == 0 ? 720 : frame.pitch;
    SourceReader* reader = CreateSourceReader(Variant(code), 1, mode);
    reader->Open(reader, frame.bytes.data(), pitch, 720, lines);
    MacroblockPixels mb;
    for (auto _ : state) {
        PrepareWholeFrame(reader);
        for (int y = 0; y < lines; y += mode == MODE_625_420 ? 16 : 8) {
            for (int x = 0; x < 720; x += mode == MODE_625_420 ? 16 : 32) {
                if (x == 704 && mode != MODE_625_420 && y % 16 != 0) continue;
                reader->ReadMacroblock(reader, 0, x, y, &mb);
                benchmark::DoNotOptimize(mb);
            }
        }
    }
    reader->Release(reader);
}

BENCHMARK_CAPTURE(ReadMacroblock420, YUY2, kFormatYUY2, 2);
BENCHMARK_CAPTURE(ReadMacroblock420, BGR4, kFormatBGR4, 4);
BENCHMARK_CAPTURE(PrepareFrame411, YUY2, kFormatYUY2, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PrepareFrame411, BGR4, kFormatBGR4, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadFrame, 625_420_YUY2, kFormatYUY2, 2, MODE_625_420)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadFrame, 625_420_I420, kFormatI420, 0, MODE_625_420)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadFrame, 625_420_Y42B, kFormatY42B, 0, MODE_625_420)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadFrame, 525_411_YUY2, kFormatYUY2, 2, MODE_525_411)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadFrame, 525_411_Y41B, kFormatY41B, 0, MODE_525_411)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadFrame, 525_411_Y42B, kFormatY42B, 0, MODE_525_411)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadFrame, 525_411_I420, kFormatI420, 0, MODE_525_411)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace encdv
