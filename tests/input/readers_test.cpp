// Source readers, checked on the MacroblockPixels they produce.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "enc_dv.h"
#include "reader_fixture.h"
#include "scalar_kernels.h"

namespace encdv::test {
namespace {

constexpr int kModes[] = {0, 2, 3};

int Lines(int mode) {
    return mode == 3 ? 480 : 576;
}

// Every macroblock of every reader variant in every mode equals the scalar reader's, whichever
// thread reads it.
TEST(SourceReader, EveryVariantMatchesScalarReaderInEveryMode) {
    std::mt19937 random(kSeed);
    std::printf("seed %u\n", kSeed);
    for (const VariantCase& c : kVariants) {
        for (int mode : kModes) {
            SCOPED_TRACE(testing::Message() << "variant " << c.variant << " mode " << mode);
            Picture picture(twin::BytesPerPixel(c.variant), Lines(mode));
            picture.Randomise(random);
            Reader reader(c.code, c.flags, 3, mode);
            ASSERT_TRUE(reader.Start(picture));
            // A quarter of the positions per variant (all of them over four variants), and
            // every right-edge macroblock.
            int index = 0;
            for (auto [x, y] : MacroblockPositions(mode)) {
                if ((index++ + c.variant) % 4 != 0 && x != 704) continue;
                const MacroblockPixels expected = twin::ReadMacroblock(
                    c.variant, mode, picture.bytes.data(), picture.pitch(), x, y);
                ASSERT_TRUE(SameMacroblock(reader.Read(x, y, index % 3), expected))
                    << "at " << x << ", " << y;
            }
        }
    }
}

void ExpectUniform(const MacroblockPixels& mb, int y, int cb, int cr) {
    for (int i = 0; i < 64; ++i) {
        for (int block = kBlockY0; block <= kBlockY3; ++block) ASSERT_EQ(mb.blocks[block][i], y);
        ASSERT_EQ(mb.blocks[kBlockCb][i], cb);
        ASSERT_EQ(mb.blocks[kBlockCr][i], cr);
    }
}

// Uniform RGB pictures: each row of the conversion table, through both reader kinds and the
// 24- and 32-bit layouts of its range.
TEST(SourceReader, UniformRgbPicturesGiveTheConversionTable) {
    struct Row {
        bool studio;
        uint8_t r, g, b;
        int y, cb, cr;
    };
    constexpr Row kTable[] = {
        {false, 255, 255, 255, 235, 128, 128}, {false, 0, 0, 0, 16, 128, 128},
        {false, 128, 128, 128, 126, 128, 128}, {false, 255, 0, 0, 81, 90, 240},
        {false, 0, 255, 0, 144, 54, 35},       {false, 0, 0, 255, 41, 240, 110},
        {false, 200, 100, 50, 123, 91, 175},   {false, 1, 2, 3, 18, 128, 127},
        {true, 235, 235, 235, 235, 128, 128},  {true, 16, 16, 16, 16, 128, 128},
        {true, 235, 16, 16, 81, 90, 240},      {true, 16, 235, 16, 144, 54, 35},
        {true, 16, 16, 235, 41, 240, 110},     {true, 200, 100, 50, 124, 85, 183},
    };
    for (const Row& row : kTable) {
        const PixelFormatCode codes[] = {row.studio ? kFormatR24C : kFormatBGR3,
                                         row.studio ? kFormatR32C : kFormatBGR4};
        for (PixelFormatCode code : codes) {
            const int bpp = code == kFormatR24C || code == kFormatBGR3 ? 3 : 4;
            for (int mode : {0, 2}) {
                SCOPED_TRACE(testing::Message()
                             << int(row.r) << "," << int(row.g) << "," << int(row.b) << " code "
                             << code << " mode " << mode);
                Picture picture(bpp, 576);
                picture.Fill(bpp == 3 ? std::vector<uint8_t>{row.b, row.g, row.r}
                                      : std::vector<uint8_t>{row.b, row.g, row.r, 77});
                Reader reader(code, 0, 1, mode);
                ASSERT_TRUE(reader.Start(picture));
                for (auto [x, y] : {std::pair{0, 0}, std::pair{320, 272}, std::pair{704, 560}}) {
                    ExpectUniform(reader.Read(x, y), row.y, row.cb, row.cr);
                }
            }
        }
    }
}

// Two different pixels of a pair: luma per pixel, chroma from the wide sums.
TEST(SourceReader, PixelPairsShareTheirChroma) {
    struct Case {
        std::array<uint8_t, 8> pair;  // BGR4 bytes of pixels 2i and 2i+1
        int y0, y1, cb, cr;
    };
    constexpr Case kCases[] = {
        {{0, 0, 255, 0, 255, 0, 0, 0}, 81, 41, 165, 175},            // red next to blue
        {{255, 255, 255, 0, 254, 254, 254, 0}, 235, 234, 128, 128},  // white next to 254
    };
    for (const Case& c : kCases) {
        Picture picture(4, 576);
        picture.Fill(std::vector<uint8_t>(c.pair.begin(), c.pair.end()));
        Reader reader(kFormatBGR4, 0, 1, 0);
        ASSERT_TRUE(reader.Start(picture));
        const MacroblockPixels mb = reader.Read(16, 32);
        for (int i = 0; i < 64; ++i) {
            ASSERT_EQ(mb.blocks[kBlockY1][i], i % 2 ? c.y1 : c.y0);
            ASSERT_EQ(mb.blocks[kBlockCb][i], c.cb);
            ASSERT_EQ(mb.blocks[kBlockCr][i], c.cr);
        }
    }
}

// Alpha weighting: A = 255 is the identity, A = 0 gives the layout's black (one step above for
// BGRA and R32C), and without the flag the alpha byte has no effect anywhere.
TEST(SourceReader, AlphaWeighting) {
    std::mt19937 random(kSeed + 1);
    for (PixelFormatCode code : {kFormatBGRA, kFormatR32C, kFormatVUYA}) {
        for (int mode : {0, 2}) {
            SCOPED_TRACE(testing::Message() << "code " << code << " mode " << mode);
            Picture opaque(4, 576);
            opaque.Randomise(random);
            for (size_t i = 3; i < opaque.bytes.size(); i += 4) opaque.bytes[i] = 255;
            Picture randomAlpha = opaque;
            for (size_t i = 3; i < randomAlpha.bytes.size(); i += 4) {
                randomAlpha.bytes[i] = static_cast<uint8_t>(random());
            }
            Reader weighted(code, kAlphaWeight, 1, mode), plain(code, 0, 1, mode),
                plainRandom(code, 0, 1, mode);
            ASSERT_TRUE(weighted.Start(opaque));
            ASSERT_TRUE(plain.Start(opaque));
            ASSERT_TRUE(plainRandom.Start(randomAlpha));
            for (auto [x, y] : MacroblockPositions(mode)) {
                const MacroblockPixels reference = plain.Read(x, y);
                ASSERT_TRUE(SameMacroblock(weighted.Read(x, y), reference));
                ASSERT_TRUE(SameMacroblock(plainRandom.Read(x, y), reference));
            }
        }
    }
    struct Transparent {
        PixelFormatCode code;
        std::vector<uint8_t> pixel;
        int y, cb, cr;
    };
    const Transparent kTransparent[] = {
        {kFormatVUYA, {200, 30, 99, 0}, 16, 128, 128},
        {kFormatBGRA, {255, 255, 255, 0}, 17, 128, 128},
        {kFormatR32C, {255, 255, 255, 0}, 17, 128, 128},
    };
    for (const Transparent& t : kTransparent) {
        Picture picture(4, 576);
        picture.Fill(t.pixel);
        Reader reader(t.code, kAlphaWeight, 1, 0);
        ASSERT_TRUE(reader.Start(picture));
        ExpectUniform(reader.Read(48, 48), t.y, t.cb, t.cr);
    }
}

// Readers that must produce identical macroblocks from identical bytes: the FOURCC twins, the
// 4:2:2 layouts with the alpha flag, BGR4 against BGRA without the flag.
TEST(SourceReader, EquivalentLayoutsReadAlike) {
    struct Pair {
        PixelFormatCode a;
        uint32_t flagsA;
        PixelFormatCode b;
        uint32_t flagsB;
        int bpp;
    };
    constexpr Pair kPairs[] = {
        {kFormatYUY2, 0, kFormatYuYv, 0, 2},
        {kFormatUYVY, 0, kFormatUyVy, 0, 2},
        {kFormatYUY2, 0, kFormatYUY2, kAlphaWeight, 2},
        {kFormatUYVY, 0, kFormatUyVy, kAlphaWeight, 2},
        {kFormatBGR4, 0, kFormatBGRA, 0, 4},
    };
    std::mt19937 random(kSeed + 2);
    for (const Pair& p : kPairs) {
        for (int mode : kModes) {
            Picture picture(p.bpp, Lines(mode));
            picture.Randomise(random);
            Reader a(p.a, p.flagsA, 1, mode), b(p.b, p.flagsB, 1, mode);
            ASSERT_TRUE(a.Start(picture));
            ASSERT_TRUE(b.Start(picture));
            for (auto [x, y] : MacroblockPositions(mode)) {
                ASSERT_TRUE(SameMacroblock(a.Read(x, y), b.Read(x, y)))
                    << p.a << " vs " << p.b << " mode " << mode;
            }
        }
    }
}

TEST(SourceReader, PackedLayoutsKeepTheirByteOrder) {
    struct Case {
        PixelFormatCode code;
        int y0, y1, cb, cr;
    };
    constexpr Case kCases[] = {{kFormatYUY2, 10, 30, 20, 40}, {kFormatUYVY, 20, 40, 10, 30}};
    for (const Case& c : kCases) {
        for (int mode : kModes) {
            Picture picture(2, Lines(mode));
            picture.Fill({10, 20, 30, 40});
            Reader reader(c.code, 0, 1, mode);
            ASSERT_TRUE(reader.Start(picture));
            const MacroblockPixels mb = reader.Read(0, 16);
            for (int i = 0; i < 64; ++i) {
                ASSERT_EQ(mb.blocks[kBlockY0][i], i % 2 ? c.y1 : c.y0);
                ASSERT_EQ(mb.blocks[kBlockCb][i], c.cb);
                ASSERT_EQ(mb.blocks[kBlockCr][i], c.cr);
            }
        }
    }
}

// A 720x486 picture is read from its lines 2 to 481; the other six lines never matter.
TEST(SourceReader, Crops486LinePicturesToTheirMiddle480) {
    std::mt19937 random(kSeed + 3);
    Picture tall(2, 486);
    tall.Randomise(random);
    Picture cropped(2, 480);
    std::memcpy(cropped.bytes.data(), tall.pixel(0, 2), cropped.bytes.size());
    Picture scribbled = tall;
    for (int line : {0, 1, 482, 483, 484, 485}) {
        for (int i = 0; i < scribbled.pitch(); ++i) scribbled.pixel(0, line)[i] ^= 0x5A;
    }
    Reader fromTall(kFormatYUY2, 0, 1, 3), fromCropped(kFormatYUY2, 0, 1, 3),
        fromScribbled(kFormatYUY2, 0, 1, 3);
    ASSERT_TRUE(fromTall.Start(tall));
    ASSERT_TRUE(fromCropped.Start(cropped));
    ASSERT_TRUE(fromScribbled.Start(scribbled));
    for (auto [x, y] : MacroblockPositions(3)) {
        const MacroblockPixels expected = fromCropped.Read(x, y);
        ASSERT_TRUE(SameMacroblock(fromTall.Read(x, y), expected));
        ASSERT_TRUE(SameMacroblock(fromScribbled.Read(x, y), expected));
    }
}

// A bottom-up copy read with a negative pitch from its top picture line reads the same picture;
// so does a taller picture, from its first 576 lines.
TEST(SourceReader, NegativePitchAndTallerPicturesReadTheSamePicture) {
    std::mt19937 random(kSeed + 4);
    for (auto [code, bpp] : {std::pair{kFormatYUY2, 2}, std::pair{kFormatBGR3, 3}}) {
        for (int mode : kModes) {
            Picture picture(bpp, Lines(mode));
            picture.Randomise(random);
            Picture bottomUp(bpp, Lines(mode));
            for (int line = 0; line < picture.height; ++line) {
                std::memcpy(bottomUp.pixel(0, picture.height - 1 - line), picture.pixel(0, line),
                            picture.pitch());
            }
            Picture taller(bpp, Lines(mode) + 40);
            std::memcpy(taller.bytes.data(), picture.bytes.data(), picture.bytes.size());
            Reader topDown(code, 0, 1, mode), reversed(code, 0, 1, mode), tall(code, 0, 1, mode);
            ASSERT_TRUE(topDown.Start(picture));
            ASSERT_EQ(reversed.Open(bottomUp.pixel(0, picture.height - 1), -picture.pitch(), 720,
                                    picture.height),
                      0);
            reversed.get()->PrepareFrame(reversed.get());
            // 525/60 is chosen only for 480 and 486 lines, so only 625/50 sees taller pictures.
            const bool tallToo = mode != 3;
            if (tallToo) {
                ASSERT_TRUE(tall.Start(taller));
            }
            for (auto [x, y] : MacroblockPositions(mode)) {
                const MacroblockPixels expected = topDown.Read(x, y);
                ASSERT_TRUE(SameMacroblock(reversed.Read(x, y), expected)) << "mode " << mode;
                if (tallToo) {
                    ASSERT_TRUE(SameMacroblock(tall.Read(x, y), expected));
                }
            }
        }
    }
}

// 4:2:0 chroma is averaged within each field: red even lines and blue odd lines never mix.
TEST(SourceReader, FieldChromaStaysApartIn420) {
    Picture picture(3, 576);
    for (int line = 0; line < 576; ++line) {
        const std::array<uint8_t, 3> colour =
            line % 2 ? std::array<uint8_t, 3>{255, 0, 0} : std::array<uint8_t, 3>{0, 0, 255};
        for (int x = 0; x < 720; ++x) std::memcpy(picture.pixel(x, line), colour.data(), 3);
    }
    Reader reader(kFormatBGR3, 0, 1, 0);
    ASSERT_TRUE(reader.Start(picture));
    for (auto [x, y] : MacroblockPositions(0)) {
        const MacroblockPixels mb = reader.Read(x, y);
        for (int i = 0; i < 64; ++i) {
            const bool odd = (i / 8) % 2;
            ASSERT_EQ(mb.blocks[kBlockCb][i], odd ? 240 : 90);
            ASSERT_EQ(mb.blocks[kBlockCr][i], odd ? 110 : 240);
        }
    }
}

// Chroma per line, constant along each line: 4:1:1 keeps every line's own chroma, and the
// right-edge macroblock puts its upper 8 lines in columns 0-3, the lower 8 in columns 4-7.
TEST(SourceReader, RightEdgeMacroblockStacksItsBandsChroma) {
    for (auto [code, bpp] : {std::pair{kFormatYUY2, 2}, std::pair{kFormatVUYA, 4}}) {
        for (int mode : {2, 3}) {
            Picture picture(bpp, Lines(mode));
            auto cbOf = [](int line) { return 16 + (line * 7) % 224; };
            auto crOf = [](int line) { return 240 - (line * 5) % 224; };
            for (int line = 0; line < picture.height; ++line) {
                const uint8_t cb = cbOf(line), cr = crOf(line);
                for (int x = 0; x < 720; x += 2) {
                    uint8_t* p = picture.pixel(x, line);
                    if (bpp == 2) {
                        p[0] = 60, p[1] = cb, p[2] = 61, p[3] = cr;
                    } else {
                        for (int k = 0; k < 2; ++k) p[4 * k] = cr, p[4 * k + 1] = cb;
                    }
                }
            }
            Reader reader(code, 0, 1, mode);
            ASSERT_TRUE(reader.Start(picture));
            for (int y = 0; y < picture.height; y += 16) {
                const MacroblockPixels mb = reader.Read(704, y);
                for (int row = 0; row < 8; ++row) {
                    for (int column = 0; column < 8; ++column) {
                        const int line = y + row + (column < 4 ? 0 : 8);
                        ASSERT_EQ(mb.blocks[kBlockCb][8 * row + column], cbOf(line));
                        ASSERT_EQ(mb.blocks[kBlockCr][8 * row + column], crOf(line));
                    }
                }
            }
        }
    }
}

// The first chroma sample of a line reaches the first 4:1:1 sample with the taps of the samples
// before it, which repeat it: 41/64 from a full-resolution line, 7/8 from a half-resolution one.
TEST(SourceReader, LeftEdgeChromaRepeatsTheFirstSample) {
    for (auto [code, bpp] : {std::pair{kFormatYUY2, 2}, std::pair{kFormatVUYA, 4}}) {
        for (auto [first, rest] : {std::pair{200, 100}, std::pair{16, 240}, std::pair{255, 0}}) {
            Picture picture(bpp, 480);
            if (bpp == 2) {
                picture.Fill({128, uint8_t(rest), 128, uint8_t(rest)});
                for (int line = 0; line < 480; ++line) picture.pixel(0, line)[1] = first;
            } else {
                picture.Fill({uint8_t(rest), uint8_t(rest), 128, 0});
                for (int line = 0; line < 480; ++line) picture.pixel(0, line)[1] = first;
            }
            const int expected =
                bpp == 2 ? (7 * first + rest + 2) >> 3 : (41 * first + 23 * rest + 30) >> 6;
            Reader reader(code, 0, 1, 3);
            ASSERT_TRUE(reader.Start(picture));
            const MacroblockPixels mb = reader.Read(0, 8);
            for (int row = 0; row < 8; ++row) {
                ASSERT_EQ(mb.blocks[kBlockCb][8 * row], expected) << "code " << code;
                ASSERT_EQ(mb.blocks[kBlockCb][8 * row + 1], rest);
                ASSERT_EQ(mb.blocks[kBlockCr][8 * row], rest);
            }
        }
    }
}

// Open refuses any frame that would send the reader outside the caller's picture.
TEST(SourceReader, OpenRefusesPicturesSmallerThanTheModeReads) {
    struct Case {
        int mode, width, height;
        bool nullSource;
        int status;
    };
    constexpr Case kCases[] = {
        {3, 720, 480, false, kOpenOk},          {3, 720, 486, false, kOpenOk},
        {3, 720, 479, false, kOpenBadGeometry}, {3, 719, 480, false, kOpenBadGeometry},
        {3, 720, 480, true, kOpenBadGeometry},  {0, 720, 576, false, kOpenOk},
        {0, 800, 600, false, kOpenOk},          {0, 720, 575, false, kOpenBadGeometry},
        {0, 720, 486, false, kOpenBadGeometry}, {0, 640, 480, false, kOpenBadGeometry},
        {0, 720, 576, true, kOpenBadGeometry},  {2, 720, 576, false, kOpenOk},
        {2, 720, 500, false, kOpenBadGeometry}, {2, 719, 576, false, kOpenBadGeometry},
        {2, 720, 0, false, kOpenBadGeometry},   {2, 0, -576, false, kOpenBadGeometry},
    };
    for (const Case& c : kCases) {
        Picture picture(2, std::max(c.height, 1), std::max(c.width, 1));
        Reader reader(kFormatUYVY, 0, 2, c.mode);
        EXPECT_EQ(reader.Open(c.nullSource ? nullptr : picture.bytes.data(), picture.pitch(),
                              c.width, c.height),
                  c.status)
            << "mode " << c.mode << " " << c.width << "x" << c.height;
    }
}

TEST(SourceReader, ConstructorRefusesUnknownCodesModesAndThreadCounts) {
    EXPECT_EQ(CreateSourceReader(static_cast<PixelFormatCode>(1234), 0, 1, 0), nullptr);
    EXPECT_EQ(CreateSourceReader(kFormatYUY2, 0, 0, 0), nullptr);
    EXPECT_EQ(CreateSourceReader(kFormatYUY2, 0, 17, 0), nullptr);
    EXPECT_EQ(CreateSourceReader(kFormatYUY2, 0, 1, 1), nullptr);
    SourceReader* reader = CreateSourceReader(kFormatBGR3, 0, 16, 2);
    ASSERT_NE(reader, nullptr);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(reader->contexts[i]) % 16, 0u);
    }
    reader->Release(reader);
}

}  // namespace
}  // namespace encdv::test
