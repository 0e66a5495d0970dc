// Source readers, checked on the MacroblockPixels they produce.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "input/input_kernels.h"
#include "platform/cpu_features.h"
#include "reader_fixture.h"
#include "reader_twins.h"
#include "support/kernel_check.h"
#include "support/kernel_features.h"

namespace encdv::test {
namespace {

constexpr int kModes[] = {0, 2, 3};

int Lines(int mode) {
    return mode == 3 ? 480 : 576;
}

int BytesPerPixel(PixelFormatCode code) {
    switch (code) {
        case kFormatBGR3:
        case kFormatR24C:
            return 3;
        case kFormatBGR4:
        case kFormatBGRA:
        case kFormatR32C:
        case kFormatVUYA:
            return 4;
        default:
            return 2;
    }
}

// Every macroblock of every variant in every mode (the right-edge ones included) equals the
// twin reader's, whichever thread reads it, with each instruction set's kernels that this
// processor runs and with the portable ones.
TEST(SourceReader, EveryVariantMatchesTwinReaderInEveryMode) {
    std::mt19937 random(PrintedSeed("SourceReader", kSeed));
    std::vector<uint32_t> featureSets = {0};
    for (const KernelFeatures& set : VectorKernelFeatures()) featureSets.push_back(set.features);
    for (const uint32_t features : featureSets) {
        SelectInputKernels(features);
        for (const VariantCase& c : kVariants) {
            for (int mode : kModes) {
                SCOPED_TRACE(testing::Message() << "variant " << c.variant << " mode " << mode);
                Picture picture(twin::BytesPerPixel(c.variant), Lines(mode));
                picture.Randomise(random);
                Reader reader(c.code, c.flags, 3, mode);
                ASSERT_TRUE(reader.Start(picture));
                // A quarter of the positions per variant (all of them over four variants).
                int index = 0;
                for (auto [x, y] : MacroblockPositions(mode)) {
                    if ((index++ + c.variant) % 4 != 0 && x != 704) continue;
                    const MacroblockPixels expected = twin::ReadMacroblock(
                        c.variant, mode, picture.bytes.data(), picture.pitch(), x, y);
                    ASSERT_TRUE(SameMacroblock(reader.Read(x, y, index % 3), expected))
                        << "at " << x << ", " << y << " features " << features;
                }
            }
        }
    }
    SelectInputKernels(GetFeatureWord());
}

// Pictures repeating one pixel (or pixel pair) give the samples of the worked conversions:
// even and odd luma columns, and chroma.
TEST(SourceReader, RepeatedPixelsGiveTheWorkedSamples) {
    struct Case {
        PixelFormatCode code;
        uint32_t flags;
        std::vector<uint8_t> unit;
        int y0, y1, cb, cr;
        bool pairs;  // a pair of different pixels: 4:2:0 only, whose chroma sums the pair
    };
    std::vector<Case> cases = {
        {kFormatYUY2, 0, {10, 20, 30, 40}, 10, 30, 20, 40, false},
        {kFormatUYVY, 0, {10, 20, 30, 40}, 20, 40, 10, 30, false},
        {kFormatBGR4, 0, {0, 0, 255, 0, 255, 0, 0, 0}, 81, 41, 165, 175, true},  // red, blue
        {kFormatBGR4, 0, {255, 255, 255, 0, 254, 254, 254, 0}, 235, 234, 128, 128, true},
        {kFormatVUYA, kAlphaWeight, {200, 30, 99, 0}, 16, 16, 128, 128, false},  // A = 0
        {kFormatBGRA, kAlphaWeight, {255, 255, 255, 0}, 17, 17, 128, 128, false},
        {kFormatR32C, kAlphaWeight, {255, 255, 255, 0}, 17, 17, 128, 128, false},
    };
    struct Rgb {
        bool studio;
        uint8_t r, g, b;
        int y, cb, cr;
    };
    constexpr Rgb kTable[] = {
        {false, 255, 255, 255, 235, 128, 128}, {false, 0, 0, 0, 16, 128, 128},
        {false, 128, 128, 128, 126, 128, 128}, {false, 255, 0, 0, 81, 90, 240},
        {false, 0, 255, 0, 144, 54, 35},       {false, 0, 0, 255, 41, 240, 110},
        {false, 200, 100, 50, 123, 91, 175},   {false, 1, 2, 3, 18, 128, 127},
        {true, 235, 235, 235, 235, 128, 128},  {true, 16, 16, 16, 16, 128, 128},
        {true, 235, 16, 16, 81, 90, 240},      {true, 16, 235, 16, 144, 54, 35},
        {true, 16, 16, 235, 41, 240, 110},     {true, 200, 100, 50, 124, 85, 183},
    };
    for (const Rgb& t : kTable) {
        cases.push_back({t.studio ? kFormatR24C : kFormatBGR3,
                         0,
                         {t.b, t.g, t.r},
                         t.y,
                         t.y,
                         t.cb,
                         t.cr,
                         false});
        cases.push_back({t.studio ? kFormatR32C : kFormatBGR4,
                         0,
                         {t.b, t.g, t.r, 77},
                         t.y,
                         t.y,
                         t.cb,
                         t.cr,
                         false});
    }
    for (const Case& c : cases) {
        for (int mode : {0, 2}) {
            if (c.pairs && mode != 0) continue;
            SCOPED_TRACE(testing::Message() << "code " << c.code << " mode " << mode << " Y "
                                            << c.y0 << " Cb " << c.cb << " Cr " << c.cr);
            Picture picture(BytesPerPixel(c.code), 576);
            picture.Fill(c.unit);
            Reader reader(c.code, c.flags, 1, mode);
            ASSERT_TRUE(reader.Start(picture));
            for (auto [x, y] : {std::pair{0, 0}, std::pair{320, 272}, std::pair{704, 560}}) {
                const MacroblockPixels mb = reader.Read(x, y);
                for (int i = 0; i < 64; ++i) {
                    for (int b = kBlockY0; b <= kBlockY3; ++b) {
                        ASSERT_EQ(mb.blocks[b][i], i % 2 ? c.y1 : c.y0);
                    }
                    ASSERT_EQ(mb.blocks[kBlockCb][i], c.cb);
                    ASSERT_EQ(mb.blocks[kBlockCr][i], c.cr);
                }
            }
        }
    }
}

// Two presentations of one picture that every mode must read identically.
struct Presentation {
    PixelFormatCode code;
    uint32_t flags;
    const uint8_t* source;
    int pitch, height;
};

TEST(SourceReader, OnePictureReadsAlikeWhateverItsPresentation) {
    std::mt19937 random(kSeed + 1);
    // Each case edits a copy of the picture (4 bytes per pixel, 576 lines, random) and names
    // the two presentations to compare.
    struct Case {
        const char* name;
        std::function<std::pair<Presentation, Presentation>(Picture& p, Picture& copy)> make;
    };
    const auto same = [](PixelFormatCode a, uint32_t fa, PixelFormatCode b, uint32_t fb) {
        return [=](Picture& p, Picture&) {
            return std::pair{Presentation{a, fa, p.bytes.data(), p.pitch(), 576},
                             Presentation{b, fb, p.bytes.data(), p.pitch(), 576}};
        };
    };
    const auto withAlpha = [](uint32_t flagsA, PixelFormatCode b, uint32_t flagsB, bool opaque) {
        return [=](Picture& p, Picture& copy) {
            for (size_t i = 3; i < p.bytes.size(); i += 4) {
                p.bytes[i] = 255;
                if (opaque) copy.bytes[i] = 255;
            }
            return std::pair{Presentation{b, flagsA, p.bytes.data(), p.pitch(), 576},
                             Presentation{b, flagsB, copy.bytes.data(), p.pitch(), 576}};
        };
    };
    const Case cases[] = {
        {"YuYv is YUY2", same(kFormatYUY2, 0, kFormatYuYv, 0)},
        {"UyVy is UYVY", same(kFormatUYVY, 0, kFormatUyVy, 0)},
        {"4:2:2 ignores the alpha flag", same(kFormatYUY2, 0, kFormatYUY2, kAlphaWeight)},
        {"BGRA without the flag is BGR4", same(kFormatBGR4, 0, kFormatBGRA, 0)},
        {"BGR4 ignores the 4th byte", withAlpha(0, kFormatBGR4, 0, false)},
        {"BGRA ignores alpha without the flag", withAlpha(0, kFormatBGRA, 0, false)},
        {"R32C ignores alpha without the flag", withAlpha(0, kFormatR32C, 0, false)},
        {"VUYA ignores alpha without the flag", withAlpha(0, kFormatVUYA, 0, false)},
        {"BGRA opaque is unweighted", withAlpha(0, kFormatBGRA, kAlphaWeight, true)},
        {"R32C opaque is unweighted", withAlpha(0, kFormatR32C, kAlphaWeight, true)},
        {"VUYA opaque is unweighted", withAlpha(0, kFormatVUYA, kAlphaWeight, true)},
        {"bottom-up with negative pitch",
         [](Picture& p, Picture& copy) {
             for (int line = 0; line < 576; ++line) {
                 std::memcpy(copy.pixel(0, 575 - line), p.pixel(0, line), p.pitch());
             }
             return std::pair{Presentation{kFormatBGR3, 0, p.bytes.data(), p.pitch(), 576},
                              Presentation{kFormatBGR3, 0, copy.pixel(0, 575), -p.pitch(), 576}};
         }},
        {"taller picture, first 576 lines",
         [](Picture& p, Picture&) {
             return std::pair{Presentation{kFormatUYVY, 0, p.bytes.data(), 1440, 576},
                              Presentation{kFormatUYVY, 0, p.bytes.data(), 1440, 1100}};
         }},
    };
    for (const Case& c : cases) {
        for (int mode : {0, 2}) {
            SCOPED_TRACE(testing::Message() << c.name << ", mode " << mode);
            Picture picture(4, 576);
            picture.Randomise(random);
            Picture copy = picture;
            const auto [a, b] = c.make(picture, copy);
            Reader readerA(a.code, a.flags, 1, mode), readerB(b.code, b.flags, 1, mode);
            ASSERT_EQ(readerA.Open(a.source, a.pitch, 720, a.height), 0);
            ASSERT_EQ(readerB.Open(b.source, b.pitch, 720, b.height), 0);
            PrepareWholeFrame(readerA.get());
            PrepareWholeFrame(readerB.get());
            for (auto [x, y] : MacroblockPositions(mode)) {
                ASSERT_TRUE(SameMacroblock(readerA.Read(x, y), readerB.Read(x, y)));
            }
        }
    }
}

// A 720x486 picture is read from its lines 2 to 481; the other six lines never matter.
TEST(SourceReader, Crops486LinePicturesToTheirMiddle480) {
    std::mt19937 random(kSeed + 2);
    Picture tall(2, 486);
    tall.Randomise(random);
    Picture cropped(2, 480);
    std::memcpy(cropped.bytes.data(), tall.pixel(0, 2), cropped.bytes.size());
    for (int line : {0, 1, 482, 483, 484, 485}) {
        for (int i = 0; i < tall.pitch(); ++i) tall.pixel(0, line)[i] ^= 0x5A;
    }
    Reader fromTall(kFormatYUY2, 0, 1, 3), fromCropped(kFormatYUY2, 0, 1, 3);
    ASSERT_TRUE(fromTall.Start(tall));
    ASSERT_TRUE(fromCropped.Start(cropped));
    for (auto [x, y] : MacroblockPositions(3)) {
        ASSERT_TRUE(SameMacroblock(fromTall.Read(x, y), fromCropped.Read(x, y)));
    }
}

// 4:2:0 chroma is averaged within each field: red even lines and blue odd lines never mix.
TEST(SourceReader, FieldChromaStaysApartIn420) {
    Picture picture(3, 576);
    for (int line = 0; line < 576; ++line) {
        for (int x = 0; x < 720; ++x) picture.pixel(x, line)[line % 2 ? 2 : 0] = 255;
    }
    Reader reader(kFormatBGR3, 0, 1, 0);
    ASSERT_TRUE(reader.Start(picture));
    for (auto [x, y] : MacroblockPositions(0)) {
        const MacroblockPixels mb = reader.Read(x, y);
        for (int i = 0; i < 64; ++i) {
            const bool odd = (i / 8) % 2;
            ASSERT_EQ(mb.blocks[kBlockCb][i], odd ? 90 : 240);
            ASSERT_EQ(mb.blocks[kBlockCr][i], odd ? 240 : 110);
        }
    }
}

// The samples before a line repeat its first one, which therefore weighs 41/64 in the first
// 4:1:1 sample of a full-resolution line and 7/8 in that of a half-resolution one.
TEST(SourceReader, LeftEdgeChromaRepeatsTheFirstSample) {
    for (auto [code, bpp] : {std::pair{kFormatYUY2, 2}, std::pair{kFormatVUYA, 4}}) {
        for (auto [first, rest] : {std::pair{200, 100}, std::pair{16, 240}, std::pair{255, 0}}) {
            Picture picture(bpp, 480);
            picture.Fill(bpp == 2 ? std::vector<uint8_t>{128, uint8_t(rest), 128, uint8_t(rest)}
                                  : std::vector<uint8_t>{uint8_t(rest), uint8_t(rest), 128, 0});
            for (int line = 0; line < 480; ++line) picture.pixel(0, line)[1] = first;  // Cb
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
    EXPECT_EQ(Reader::Create(static_cast<PixelFormatCode>(1234), 0, 1, 0), nullptr);
    EXPECT_EQ(CreateSourceReader(kReaderVariantCount, 1, 0), nullptr);
    EXPECT_EQ(CreateSourceReader(kVariantYUY2, 0, 0), nullptr);
    EXPECT_EQ(CreateSourceReader(kVariantYUY2, 17, 0), nullptr);
    EXPECT_EQ(CreateSourceReader(kVariantYUY2, 1, 1), nullptr);
}

}  // namespace
}  // namespace encdv::test
