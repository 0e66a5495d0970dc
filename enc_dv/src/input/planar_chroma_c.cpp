#include "input/planar_chroma.h"

namespace encdv {

void FieldAverage422_C(const uint8_t* rows, std::ptrdiff_t pitch, uint8_t* block) {
    for (int r = 0; r < 8; ++r) {
        const uint8_t* a = rows + (4 * (r / 2) + r % 2) * pitch;
        const uint8_t* b = a + 2 * pitch;
        for (int i = 0; i < 8; ++i) block[8 * r + i] = static_cast<uint8_t>((a[i] + b[i] + 1) >> 1);
    }
}

void FieldAverage411_C(const uint8_t* rows, std::ptrdiff_t pitch, bool lastColumn, uint8_t* block) {
    uint8_t lines[16][8];
    for (int line = 0; line < 16; ++line) {
        const uint8_t* s = rows + line * pitch;
        for (int k = 0; k < 4; ++k) {
            const int next = k < 3 || !lastColumn ? s[k + 1] : s[k];
            lines[line][2 * k] = s[k];
            lines[line][2 * k + 1] = static_cast<uint8_t>((s[k] + next + 1) >> 1);
        }
    }
    FieldAverage422_C(lines[0], 8, block);
}

void BlendRows_C(const uint8_t* nearer, const uint8_t* farther, int count, uint8_t* output) {
    for (int i = 0; i < count; ++i) {
        output[i] = static_cast<uint8_t>((3 * nearer[i] + farther[i] + 2) >> 2);
    }
}

void BlendFilter2to1_C(const uint8_t* nearer, const uint8_t* farther, uint8_t* output) {
    auto s = [&](int i) { return (3 * nearer[i] + farther[i] + 2) >> 2; };
    for (int k = 0; k < 8; ++k) {
        const int c = 2 * k;
        output[k] = static_cast<uint8_t>((s(c - 1) + 6 * s(c) + s(c + 1) + 2) >> 3);
    }
}

void SetPlanarChromaKernels_C(PlanarChromaKernels& kernels) {
    kernels = {FieldAverage422_C, FieldAverage411_C, BlendRows_C, BlendFilter2to1_C};
}

}  // namespace encdv
