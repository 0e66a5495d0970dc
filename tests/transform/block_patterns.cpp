#include "block_patterns.h"

#include <algorithm>
#include <cmath>

#include "platform/cpu_features.h"
#include "transform/forward_dct.h"
#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace encdv::transform_test {

void InitTransform() {
    BuildTransformTables();
    InitDctVectorConstants();
    SelectTransformKernels(GetFeatureWord());
}

SampleBlock MakeBlock(std::mt19937& random) {
    SampleBlock block{};
    auto draw = [&random](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
    auto clamp = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    const uint8_t low = static_cast<uint8_t>(draw(2) ? 0 : draw(256));
    const uint8_t high = static_cast<uint8_t>(draw(2) ? 255 : draw(256));
    switch (draw(9)) {
        case 0:  // uniform noise
            for (uint8_t& s : block.s) s = static_cast<uint8_t>(draw(256));
            break;
        case 1:  // random pattern of two levels, usually 0 and 255
            for (uint8_t& s : block.s) s = draw(2) ? high : low;
            break;
        case 2: {  // checkerboard of cell size 1, 2 or 4 with a random phase
            const int size = 1 << draw(3), phase = draw(2);
            for (int l = 0; l < 8; ++l)
                for (int c = 0; c < 8; ++c)
                    block.at(l, c) = ((l / size + c / size + phase) % 2) ? high : low;
            break;
        }
        case 3: {  // stripes across lines or columns, width 1-4
            const int width = 1 + draw(4), vertical = draw(2), phase = draw(2);
            for (int l = 0; l < 8; ++l)
                for (int c = 0; c < 8; ++c)
                    block.at(l, c) = (((vertical ? c : l) / width + phase) % 2) ? high : low;
            break;
        }
        case 4: {  // ramps in any direction, steep ones clipped at 0 and 255
            const int dx = draw(161) - 80, dy = draw(161) - 80, base = draw(256);
            for (int l = 0; l < 8; ++l)
                for (int c = 0; c < 8; ++c) block.at(l, c) = clamp(base + dx * c + dy * l);
            break;
        }
        case 5: {  // nearly flat: small noise around one level
            const int level = draw(256), spread = 1 + draw(3);
            for (uint8_t& s : block.s) s = clamp(level + draw(2 * spread + 1) - spread);
            break;
        }
        case 6: {  // field pattern: even and odd lines at two levels, plus a little noise
            const int noise = draw(3);
            for (int l = 0; l < 8; ++l)
                for (int c = 0; c < 8; ++c)
                    block.at(l, c) =
                        clamp((l % 2 ? high : low) + (noise ? draw(2 * noise + 1) - noise : 0));
            break;
        }
        case 7: {  // one extreme sample on a flat background
            const uint8_t level = static_cast<uint8_t>(draw(256));
            for (uint8_t& s : block.s) s = level;
            block.s[draw(64)] = draw(2) ? 255 : 0;
            break;
        }
        default: {  // half blocks: a step edge between two levels at a random line or column
            const int edge = 1 + draw(7), vertical = draw(2);
            for (int l = 0; l < 8; ++l)
                for (int c = 0; c < 8; ++c)
                    block.at(l, c) = ((vertical ? c : l) < edge) ? high : low;
            break;
        }
    }
    return block;
}

namespace {

// The 2D basis function of transform output `index` (8h + v, or 8h + 2u + d) at line l,
// column c.
double Basis(int mode, int index, int l, int c) {
    const double pi = 3.14159265358979323846;
    const double across = std::cos((2 * c + 1) * (index / 8) * pi / 16);
    if (mode == 0) return across * std::cos((2 * l + 1) * (index % 8) * pi / 16);
    const int u = (index % 8) / 2;
    const double half = index % 2 == 0 || l % 2 == 0 ? 1.0 : -1.0;
    return across * half * std::cos((2 * (l / 2) + 1) * u * pi / 8);
}

}  // namespace

std::vector<SampleBlock> ExtremeBlocks() {
    std::vector<SampleBlock> blocks;
    auto add = [&blocks](auto high) {
        SampleBlock block;
        for (int i = 0; i < 64; ++i) block.s[i] = high(i / 8, i % 8) ? 255 : 0;
        blocks.push_back(block);
        for (uint8_t& sample : block.s) sample = static_cast<uint8_t>(255 - sample);
        blocks.push_back(block);
    };
    add([](int, int) { return true; });
    add([](int l, int c) { return (l + c) % 2 == 0; });
    add([](int l, int) { return l % 2 == 0; });
    add([](int, int c) { return c % 2 == 0; });
    for (int mode = 0; mode < 2; ++mode) {
        for (int index = 1; index < 64; ++index) {
            add([mode, index](int l, int c) { return Basis(mode, index, l, c) > 0; });
        }
    }
    return blocks;
}

}  // namespace encdv::transform_test
