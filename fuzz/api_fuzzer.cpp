// Fuzzes the exported compress calls: FOURCC (all eleven, their misspellings and random
// words), picture size (the three heights, sizes next to them, random ones), pitch
// (positive, negative, too short, padded), every flag bit, with a handle or without, the
// number of processors the driver sees (through the platform's test seam), and the
// picture bytes. The picture buffer is exactly as large as the lines the call
// describes, so the address sanitizer sees any read outside it.
//
// Checked on every input:
// - the call accepts exactly the frames the interface promises to encode and returns the
//   frame length of the system the size selects, else 0;
// - nothing is written past the returned length, and nothing at all on a refusal;
// - unknown flag bits, DVENC_FLAG_SINGLE_THREAD, DVENC_FLAG_NO_HEADER_BLOCK and
//   DVENC_FLAG_VIDEO_ONLY change the frame only as they should (compared with a frame
//   encoded without them);
// - the frame decodes with libavcodec, as 720x480 or 720x576 in the sampling of its mode.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "enc_dv.h"
#include "platform/test_hooks.h"
#include "support/dv_decoder.h"

namespace {

struct Layout {
    uint32_t fourcc;
    int bytesPerPixel;
};
constexpr Layout kLayouts[] = {
    {DVENC_FOURCC_YUY2, 2}, {DVENC_FOURCC_YUYV, 2}, {DVENC_FOURCC_YuYv, 2}, {DVENC_FOURCC_UYVY, 2},
    {DVENC_FOURCC_UyVy, 2}, {DVENC_FOURCC_BGR3, 3}, {DVENC_FOURCC_R24C, 3}, {DVENC_FOURCC_BGR4, 4},
    {DVENC_FOURCC_BGRA, 4}, {DVENC_FOURCC_R32C, 4}, {DVENC_FOURCC_VUYA, 4},
};
constexpr int kLayoutCount = sizeof kLayouts / sizeof kLayouts[0];

// Flags that change the coded picture; the others change only framing or threads.
constexpr unsigned kPictureFlags = DVENC_FLAG_SWAP_FIELDS | DVENC_FLAG_MB_QUANT | DVENC_FLAG_WIDE |
                                   DVENC_FLAG_SMPTE314M | DVENC_FLAG_ALPHA_WEIGHT |
                                   DVENC_FLAG_BEST_QUALITY;

constexpr uint8_t kFill = 0xE7;
constexpr size_t kSlack = 256;
constexpr int kBlockBytes = 80;

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {
    {720, 480}, {720, 486}, {720, 576}, {720, 500}, {640, 480}, {720, 577}, {736, 576},
    {720, 479}, {720, 575}, {720, 485}, {721, 486}, {720, 481}, {800, 600}, {719, 576},
};
constexpr int kSizeCount = sizeof kSizes / sizeof kSizes[0];

DVEncoderHandle* SharedHandle() {
    static DVEncoderHandle* handle = [] {
        DVEncoderHandle* h = DVNewEnc();
        if (!h) std::abort();
        std::atexit([] { DVDoneEnc(SharedHandle()); });
        return h;
    }();
    return handle;
}

// Whether block b (0 .. 149) of a sequence with its header block is a video block:
// blocks 0-5 are header, subcode and VAUX; then each group of 16 starts with audio.
bool IsVideoBlock(int b) {
    return b >= 6 && (b - 6) % 16 != 0;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fuzz(data, size);

    // The layout: listed, a listed one with one character's case flipped, or any word.
    const int layoutChoice = fuzz.ConsumeIntegralInRange(0, kLayoutCount + 1);
    uint32_t fourcc;
    int bytesPerPixel;
    bool knownFourcc = true;
    if (layoutChoice < kLayoutCount) {
        fourcc = kLayouts[layoutChoice].fourcc;
        bytesPerPixel = kLayouts[layoutChoice].bytesPerPixel;
    } else {
        const Layout& base = kLayouts[fuzz.ConsumeIntegralInRange(0, kLayoutCount - 1)];
        bytesPerPixel = base.bytesPerPixel;
        fourcc = layoutChoice == kLayoutCount
                     ? base.fourcc ^ (0x20u << 8 * fuzz.ConsumeIntegralInRange(0, 3))
                     : fuzz.ConsumeIntegral<uint32_t>();
        knownFourcc = false;
        for (const Layout& l : kLayouts) knownFourcc |= l.fourcc == fourcc;
        if (knownFourcc) {
            for (const Layout& l : kLayouts)
                if (l.fourcc == fourcc) bytesPerPixel = l.bytesPerPixel;
        }
    }

    // The size: one of the table or anything up to 800 x 640.
    Size sz;
    const int sizeChoice = fuzz.ConsumeIntegralInRange(0, kSizeCount);
    if (sizeChoice < kSizeCount) {
        sz = kSizes[sizeChoice];
    } else {
        sz.width = fuzz.ConsumeIntegralInRange(-4, 800);
        sz.height = fuzz.ConsumeIntegralInRange(-4, 640);
    }

    // The pitch: a whole line of the given width plus padding, possibly short of it.
    const int lineBytes = (sz.width > 0 ? sz.width : 720) * bytesPerPixel;
    // 0-40: padded; 41-47: short by 1-7 bytes; 48: pitch 0.
    const int padding = fuzz.ConsumeIntegralInRange(0, 48);
    const int magnitude = padding == 48  ? 0
                          : padding > 40 ? lineBytes + 40 - padding
                                         : lineBytes + padding;
    const bool bottomUp = fuzz.ConsumeBool();
    const int pitch = bottomUp ? -magnitude : magnitude;

    const unsigned flags = fuzz.ConsumeIntegral<uint32_t>();
    const bool withHandle = fuzz.ConsumeBool();
    // Processors the driver sees: 0 keeps this machine's count, 17 is limited to 16 threads.
    // Frames in turn start, park and wake the shared handle's workers in every combination.
    encdv::platform::test_hooks::ForceProcessorCount(fuzz.ConsumeIntegralInRange(0, 17));
    const std::vector<uint8_t> pattern = fuzz.ConsumeRemainingBytes<uint8_t>();

    // Exactly the bytes of the lines described: height lines, the last one width pixels.
    const int lines = sz.height > 0 ? sz.height : 1;
    const size_t pictureBytes =
        size_t(magnitude) * (lines - 1) + size_t(sz.width > 0 ? sz.width : 1) * bytesPerPixel;
    std::vector<uint8_t> picture(pictureBytes);
    for (size_t i = 0; i < pictureBytes; ++i)
        picture[i] = pattern.empty() ? uint8_t(i * 131 >> 3) : pattern[i % pattern.size()];
    const uint8_t* top =
        bottomUp ? picture.data() + size_t(magnitude) * (lines - 1) : picture.data();

    // What the interface promises.
    const bool is525 = sz.width == 720 && (sz.height == 480 || sz.height == 486);
    const bool accepted = knownFourcc && sz.width >= 720 && magnitude >= 720 * bytesPerPixel &&
                          (is525 || sz.height >= 576);
    const bool withHeader = (flags & DVENC_FLAG_NO_HEADER_BLOCK) == 0;
    const int sequences = is525 ? 10 : 12;
    const int sequenceBlocks = withHeader ? 150 : 149;
    const int expected = accepted ? sequences * sequenceBlocks * kBlockBytes : 0;

    std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES + kSlack, kFill);
    const int result = withHandle ? DVCompressBuffer(SharedHandle(), top, pitch, out.data(), 0,
                                                     sz.width, sz.height, 0, flags, fourcc)
                                  : CompressBuffer_DV(top, pitch, out.data(), 0, sz.width,
                                                      sz.height, 0, flags, fourcc);
    Check(result == expected);
    const bool videoOnly = (flags & DVENC_FLAG_VIDEO_ONLY) != 0;
    for (size_t i = result; i < out.size(); ++i) Check(out[i] == kFill);
    if (!accepted) return 0;

    // A frame of the picture flags alone, with every block, to compare and decode.
    std::vector<uint8_t> full = out;
    const unsigned pictureFlags = flags & kPictureFlags;
    if ((flags & ~kPictureFlags) != 0) {
        full.assign(DVENC_MAX_FRAME_BYTES, 0);
        Check(CompressBuffer_DV(top, pitch, full.data(), 0, sz.width, sz.height, 0,
                                pictureFlags | DVENC_FLAG_SINGLE_THREAD,
                                fourcc) == sequences * 150 * kBlockBytes);
        for (int s = 0; s < sequences; ++s) {
            for (int b = withHeader ? 0 : 1; b < 150; ++b) {
                const uint8_t* got =
                    out.data() +
                    (size_t(s) * sequenceBlocks + b - (withHeader ? 0 : 1)) * kBlockBytes;
                const uint8_t* want = full.data() + (size_t(s) * 150 + b) * kBlockBytes;
                if (videoOnly && !IsVideoBlock(b)) {
                    for (int i = 0; i < kBlockBytes; ++i) Check(got[i] == kFill);
                } else {
                    Check(std::memcmp(got, want, kBlockBytes) == 0);
                }
            }
        }
    }

    encdv::test::DecodedFrame decoded;
    Check(encdv::test::DecodeDvFrame(full.data(), size_t(sequences) * 150 * kBlockBytes, decoded));
    Check(decoded.width == 720 && decoded.height == (is525 ? 480 : 576));
    const bool sampled411 = is525 || (flags & DVENC_FLAG_SMPTE314M) != 0;
    Check(decoded.chromaWidth == (sampled411 ? 180 : 360));
    return 0;
}
