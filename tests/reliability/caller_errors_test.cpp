// Calls the interface must refuse (0, output untouched, source never read) and pictures
// larger than the video system that must encode exactly as their top-left 720 x 576.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "enc_dv.h"
#include "reliability/reliability_support.h"

namespace encdv::test {
namespace {

constexpr uint8_t kFill = 0xA5;
constexpr unsigned kUnknownBits = ~0x11003Fu;

bool Untouched(const Bytes& output) {
    for (uint8_t byte : output)
        if (byte != kFill) return false;
    return true;
}

// Each refused call sees a source pointer aimed at an inaccessible page: any read of it
// faults, so a pass also shows that the picture was not read.
TEST(CallerErrors, RefusedCallsReturnZeroWithoutReadingOrWriting) {
    const FencedBuffer nowhere(0);
    const uint8_t* const source = nowhere.data();
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    Bytes output(DVENC_MAX_FRAME_BYTES, kFill);

    struct Case {
        const char* what;
        int width, height;
        int pitchDelta;  // pitch = 720 x bytes per pixel + delta (with the sign below)
        bool negativePitch;
    };
    const Case cases[] = {
        // Too few lines for the system the size selects: everything but 720x480 and
        // 720x486 is 625/50 and needs 576 lines, whether 4:2:0 or 4:1:1.
        {"720x500", 720, 500, 0, false},
        {"640x480", 640, 480, 0, false},
        {"720x575", 720, 575, 0, false},
        {"720x479", 720, 479, 0, false},
        {"720x485", 720, 485, 0, false},
        {"1920x500", 1920, 500, 0, false},
        {"720x0", 720, 0, 0, false},
        {"720x-576", 720, -576, 0, false},
        {"720x-480", 720, -480, 0, false},
        // Too narrow.
        {"719x576", 719, 576, 0, false},
        {"0x576", 0, 576, 0, false},
        {"-720x576", -720, 576, 0, false},
        {"INT_MINx576", INT_MIN, 576, 0, false},
        // Lines closer together than 720 pixels overlap.
        {"pitch one byte short", 720, 576, -1, false},
        {"pitch one byte short, 525", 720, 480, -1, false},
        {"negative pitch one byte short", 720, 576, -1, true},
        {"pitch of one pixel", 720, 576, INT_MIN, false},
        {"pitch 0", 720, 576, INT_MAX, false},
    };
    for (const Layout& layout : kLayouts) {
        for (const Case& c : cases) {
            const int line = 720 * layout.bytesPerPixel;
            int pitch = line + c.pitchDelta;
            if (c.pitchDelta == INT_MIN) pitch = layout.bytesPerPixel;
            if (c.pitchDelta == INT_MAX) pitch = 0;
            if (c.negativePitch) pitch = -pitch;
            for (unsigned flags :
                 {0u, unsigned{DVENC_FLAG_SMPTE314M},
                  DVENC_FLAG_SMPTE314M | DVENC_FLAG_SINGLE_THREAD | kUnknownBits}) {
                for (DVEncoderHandle* h : {handle, static_cast<DVEncoderHandle*>(nullptr)}) {
                    EXPECT_EQ(Compress(h, source, pitch, output.data(), c.width, c.height, flags,
                                       layout.fourcc),
                              0)
                        << layout.name << " " << c.what << " flags " << std::hex << flags
                        << (h ? " with handle" : " without handle");
                }
            }
        }
        // Null source or output, and a null handle with good arguments.
        const Bytes picture = SeededPicture(layout.bytesPerPixel, 576, 1);
        const int pitch = 720 * layout.bytesPerPixel;
        for (DVEncoderHandle* h : {handle, static_cast<DVEncoderHandle*>(nullptr)}) {
            EXPECT_EQ(Compress(h, nullptr, pitch, output.data(), 720, 576, 0, layout.fourcc), 0);
            EXPECT_EQ(Compress(h, picture.data(), pitch, nullptr, 720, 576, 0, layout.fourcc), 0);
        }
        EXPECT_EQ(DVCompressBuffer(nullptr, picture.data(), pitch, output.data(), 0, 720, 576, 0, 0,
                                   layout.fourcc),
                  0);
    }
    EXPECT_TRUE(Untouched(output));
    DVDoneEnc(handle);
}

// A picture taller or wider than the system encodes its first 576 lines of 720 pixels,
// wherever it sits in memory; the fenced buffers fault on any read past the first or last
// byte the caller described.
TEST(Geometry, LargerPicturesEncodeExactlyAsTheirTop720By576) {
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    struct Size {
        int width, height, pitchPadding;
    };
    const Size sizes[] = {
        {720, 576, 0}, {720, 577, 0}, {800, 600, 0}, {721, 1080, 0}, {720, 576, 13}};
    int layoutIndex = 0;
    for (const Layout& layout : kLayouts) {
        const int bpp = layout.bytesPerPixel;
        const int line = 720 * bpp;
        const Bytes top = SeededPicture(bpp, 576, 0x5EED + bpp);
        for (unsigned flags : {0u, unsigned{DVENC_FLAG_SMPTE314M}}) {
            // The short run takes one of the two samplings per layout, in turn.
            if (ShortRun() && (flags != 0) != (layoutIndex % 2 == 1)) continue;
            SCOPED_TRACE(::testing::Message() << layout.name << " flags " << flags);
            Bytes reference(DVENC_MAX_FRAME_BYTES, kFill);
            ASSERT_EQ(CompressBuffer_DV(top.data(), line, reference.data(), 0, 720, 576, 0, flags,
                                        layout.fourcc),
                      DVENC_FRAME_BYTES_625);
            int sizeIndex = 0;
            for (const Size& size : sizes) {
                const int pitch = size.width * bpp + size.pitchPadding;
                // Top-down, the last byte of the picture against the upper fence.
                const Bytes noise = SeededPicture(bpp, size.height, 77, pitch);
                const size_t bytes = size_t(pitch) * (size.height - 1) + size_t(size.width) * bpp;
                FencedBuffer topDown(bytes);
                std::memcpy(topDown.data(), noise.data(), bytes);
                for (int y = 0; y < 576; ++y)
                    std::memcpy(topDown.data() + size_t(y) * pitch, &top[size_t(y) * line], line);
                // Bottom-up: the same lines in reverse order, the last line against the
                // lower fence and the source pointer at the top line.
                FencedBuffer bottomUp(bytes, true);
                for (int y = 0; y < size.height; ++y)
                    std::memcpy(bottomUp.data() + size_t(size.height - 1 - y) * pitch,
                                topDown.data() + size_t(y) * pitch, size_t(size.width) * bpp);
                const uint8_t* bottomUpTop = bottomUp.data() + size_t(size.height - 1) * pitch;

                // One presentation with the handle and the other without, in turn.
                DVEncoderHandle* first = sizeIndex++ % 2 ? handle : nullptr;
                DVEncoderHandle* second = first ? nullptr : handle;
                Bytes out(DVENC_MAX_FRAME_BYTES, kFill);
                EXPECT_EQ(Compress(first, topDown.data(), pitch, out.data(), size.width,
                                   size.height, flags, layout.fourcc),
                          DVENC_FRAME_BYTES_625);
                EXPECT_EQ(out, reference) << size.width << "x" << size.height;
                out.assign(DVENC_MAX_FRAME_BYTES, kFill);
                EXPECT_EQ(Compress(second, bottomUpTop, -pitch, out.data(), size.width, size.height,
                                   flags, layout.fourcc),
                          DVENC_FRAME_BYTES_625);
                EXPECT_EQ(out, reference) << size.width << "x" << size.height << " bottom-up";
            }
        }
        ++layoutIndex;
    }
    DVDoneEnc(handle);
}

// A 720x486 picture is encoded from its lines 2 to 481: with each line on a page of its
// own, the six other lines can be made inaccessible, and the frame is that of the 480
// lines alone. 720x480 reads exactly its 480 lines.
TEST(Geometry, Picture486ReadsOnlyItsMiddle480Lines) {
    const int pitch = static_cast<int>(PageBytes());
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        const int line = 720 * layout.bytesPerPixel;
        ASSERT_LE(line, pitch);
        const Bytes middle = SeededPicture(layout.bytesPerPixel, 480, 486);
        Bytes reference(DVENC_MAX_FRAME_BYTES, kFill);
        ASSERT_EQ(CompressBuffer_DV(middle.data(), line, reference.data(), 0, 720, 480, 0, 0,
                                    layout.fourcc),
                  DVENC_FRAME_BYTES_525);

        FencedBuffer tall(size_t(pitch) * 485 + line, true);  // line y on page y
        for (int y = 0; y < 480; ++y)
            std::memcpy(tall.data() + size_t(y + 2) * pitch, &middle[size_t(y) * line], line);
        tall.Revoke(0, 2 * size_t(pitch));
        tall.Revoke(482 * size_t(pitch), 3 * size_t(pitch) + line);
        Bytes out(DVENC_MAX_FRAME_BYTES, kFill);
        EXPECT_EQ(
            CompressBuffer_DV(tall.data(), pitch, out.data(), 0, 720, 486, 0, 0, layout.fourcc),
            DVENC_FRAME_BYTES_525);
        EXPECT_EQ(out, reference);

        FencedBuffer exact(size_t(line) * 480);
        std::memcpy(exact.data(), middle.data(), middle.size());
        out.assign(DVENC_MAX_FRAME_BYTES, kFill);
        EXPECT_EQ(CompressBuffer_DV(exact.data(), line, out.data(), 0, 720, 480, 0,
                                    DVENC_FLAG_SMPTE314M, layout.fourcc),
                  DVENC_FRAME_BYTES_525);
    }
}

}  // namespace
}  // namespace encdv::test
