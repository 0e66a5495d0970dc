// The planar readers against a plain statement of what each combination of layout sampling
// and DV system puts into a macroblock, worked out picture-wide: chroma copied where the two
// agree, else brought to 4:2:2 (4:1:1 doubled across, 4:2:0 interpolated within its field) and
// then decimated as the packed 4:2:2 layouts are.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "input/reader_fixture.h"

namespace encdv::test {
namespace {

enum class Sampling { k420, k422, k411 };

struct Planes {
    Sampling sampling;
    int height;
    int chromaWidth;
    int chromaHeight;
    std::vector<uint8_t> y, cb, cr;
    int Chroma(const std::vector<uint8_t>& plane, int line, int column) const {
        return plane[static_cast<size_t>(line) * chromaWidth + column];
    }
};

Planes RandomPlanes(Sampling sampling, int height, std::mt19937& random) {
    Planes p{sampling,
             height,
             sampling == Sampling::k411 ? 180 : 360,
             sampling == Sampling::k420 ? height / 2 : height,
             {},
             {},
             {}};
    p.y.resize(static_cast<size_t>(720) * height);
    p.cb.resize(static_cast<size_t>(p.chromaWidth) * p.chromaHeight);
    p.cr.resize(p.cb.size());
    for (auto* plane : {&p.y, &p.cb, &p.cr})
        for (auto& v : *plane) v = static_cast<uint8_t>(random());
    return p;
}

// 4:2:2 chroma sample j of picture line `line`.
int Chroma422(const Planes& p, const std::vector<uint8_t>& plane, int line, int j) {
    j = std::clamp(j, 0, 359);
    if (p.sampling == Sampling::k422) return p.Chroma(plane, line, j);
    if (p.sampling == Sampling::k411) {
        const int k = j / 2;
        const int a = p.Chroma(plane, line, k);
        return j % 2 == 0 ? a : (a + p.Chroma(plane, line, std::min(k + 1, 179)) + 1) / 2;
    }
    // 4:2:0: the field's chroma lines lie midway between two of its lines.
    const int field = line % 2;
    const int fieldLine = line / 2;
    const int rows = p.chromaHeight / 2;
    const int nearer = fieldLine / 2;
    const int farther = std::clamp(fieldLine % 2 ? nearer + 1 : nearer - 1, 0, rows - 1);
    return (3 * p.Chroma(plane, 2 * nearer + field, j) + p.Chroma(plane, 2 * farther + field, j) +
            2) /
           4;
}

MacroblockPixels Expected(const Planes& p, int mode, int x, int y) {
    const int top = p.height == 486 ? 2 : 0;
    MacroblockPixels mb;
    const bool wide = mode != 0 && x < 704;
    for (int b = 0; b < 4; ++b) {
        for (int r = 0; r < 8; ++r) {
            for (int i = 0; i < 8; ++i) {
                const int line = wide ? y + r : y + 8 * (b / 2) + r;
                const int column = wide ? x + 8 * b + i : x + 8 * (b % 2) + i;
                mb.blocks[b][8 * r + i] = p.y[static_cast<size_t>(top + line) * 720 + column];
            }
        }
    }
    for (const int b : {kBlockCr, kBlockCb}) {
        const std::vector<uint8_t>& plane = b == kBlockCr ? p.cr : p.cb;
        for (int r = 0; r < 8; ++r) {
            for (int i = 0; i < 8; ++i) {
                int v;
                if (mode == 0) {
                    const int line = y + 4 * (r / 2) + r % 2;
                    v = p.sampling == Sampling::k420
                            ? p.Chroma(plane, y / 2 + r, x / 2 + i)
                            : (Chroma422(p, plane, line, x / 2 + i) +
                               Chroma422(p, plane, line + 2, x / 2 + i) + 1) /
                                  2;
                } else {
                    const int line = top + y + (wide ? r : r + 8 * (i / 4));
                    const int k = x / 4 + (wide ? i : i % 4);
                    v = p.sampling == Sampling::k411 ? p.Chroma(plane, line, k)
                                                     : (Chroma422(p, plane, line, 2 * k - 1) +
                                                        6 * Chroma422(p, plane, line, 2 * k) +
                                                        Chroma422(p, plane, line, 2 * k + 1) + 2) >>
                                                           3;
                }
                mb.blocks[b][8 * r + i] = static_cast<uint8_t>(v);
            }
        }
    }
    return mb;
}

TEST(PlanarReader, EveryLayoutAndSystemGivesThePlainlyWorkedMacroblocks) {
    std::mt19937 random(kSeed);
    const struct {
        PixelFormatCode code;
        Sampling sampling;
        bool crFirst;
    } layouts[] = {
        {kFormatI420, Sampling::k420, false}, {kFormatYV12, Sampling::k420, true},
        {kFormatY41B, Sampling::k411, false}, {kFormatY42B, Sampling::k422, false},
        {kFormatYV16, Sampling::k422, true},
    };
    const struct {
        int mode;
        int height;
    } systems[] = {{0, 576}, {2, 576}, {3, 480}, {3, 486}};
    for (const auto& layout : layouts) {
        for (const auto& system : systems) {
            SCOPED_TRACE(testing::Message() << std::hex << layout.code << std::dec << " mode "
                                            << system.mode << " " << system.height);
            const Planes p = RandomPlanes(layout.sampling, system.height, random);
            std::vector<uint8_t> frame(p.y);
            for (const auto* plane :
                 layout.crFirst ? std::vector{&p.cr, &p.cb} : std::vector{&p.cb, &p.cr}) {
                frame.insert(frame.end(), plane->begin(), plane->end());
            }
            Reader reader(layout.code, 0, 2, system.mode);
            ASSERT_NE(reader.get(), nullptr);
            ASSERT_EQ(reader.Open(frame.data(), 720, 720, system.height), 0);
            PrepareWholeFrame(reader.get());
            int mismatches = 0;
            for (const auto& [x, y] : MacroblockPositions(system.mode)) {
                const MacroblockPixels expected = Expected(p, system.mode, x, y);
                if (!SameMacroblock(reader.Read(x, y, (x / 16) % 2), expected) &&
                    ++mismatches < 3) {
                    ADD_FAILURE() << "macroblock at " << x << ", " << y;
                }
            }
            EXPECT_EQ(mismatches, 0);
        }
    }
}

}  // namespace
}  // namespace encdv::test
