#include "sources/range_conversion.h"

namespace dvenc {

namespace {

constexpr int kLumaScale = 28142;    // 219 / 255 x 32768
constexpr int kLumaRound = 16375;    // as the library's full-range luma rows
constexpr int kChromaScale = 28784;  // 224 / 255 x 32768

}  // namespace

void FullToStudioLuma(uint8_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<uint8_t>(16 + ((samples[i] * kLumaScale + kLumaRound) >> 15));
    }
}

void FullToStudioChroma(uint8_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        // Offset by 128 x 32768 so that the shift rounds a positive number.
        const int scaled = (samples[i] - 128) * kChromaScale + (1 << 14) + (128 << 15);
        samples[i] = static_cast<uint8_t>(scaled >> 15);
    }
}

}  // namespace dvenc
