#include "bitmap_format.h"

#include "enc_dv.h"

namespace {

constexpr int kWidth = 720;
constexpr DWORD kBiRgb = 0;

constexpr DWORD FourCc(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<unsigned char>(a)) |
           static_cast<DWORD>(static_cast<unsigned char>(b)) << 8 |
           static_cast<DWORD>(static_cast<unsigned char>(c)) << 16 |
           static_cast<DWORD>(static_cast<unsigned char>(d)) << 24;
}

// A bitmap layout the codec takes: its biCompression and biBitCount, the library's FOURCC,
// the bytes of a (luma) line, and for planar layouts the bytes of both chroma planes' lines
// in eighths of a luma line and whether there is a chroma line for every second line only.
struct Layout {
    DWORD compression;
    WORD bitCount;
    unsigned libraryFourcc;
    int lineBytes;
    int chromaEighths;     // 8 at 4:2:0 and 4:2:2 (two half lines), 4 at 4:1:1, 0 packed
    bool halfChromaLines;  // 4:2:0: (height + 1) / 2 chroma lines
};

// DIB lines of BI_RGB bitmaps are padded to 4 bytes; 720 pixels need no padding.
constexpr Layout kLayouts[] = {
    {kBiRgb, 24, DVENC_FOURCC_BGR3, kWidth * 3, 0, false},
    {kBiRgb, 32, DVENC_FOURCC_BGR4, kWidth * 4, 0, false},
    {FourCc('Y', 'U', 'Y', '2'), 16, DVENC_FOURCC_YUY2, kWidth * 2, 0, false},
    {FourCc('Y', 'U', 'Y', 'V'), 16, DVENC_FOURCC_YUY2, kWidth * 2, 0, false},
    {FourCc('U', 'Y', 'V', 'Y'), 16, DVENC_FOURCC_UYVY, kWidth * 2, 0, false},
    {FourCc('I', '4', '2', '0'), 12, DVENC_FOURCC_I420, kWidth, 8, true},
    {FourCc('I', 'Y', 'U', 'V'), 12, DVENC_FOURCC_IYUV, kWidth, 8, true},
    {FourCc('Y', 'V', '1', '2'), 12, DVENC_FOURCC_YV12, kWidth, 8, true},
    {FourCc('Y', '4', '1', 'B'), 12, DVENC_FOURCC_Y41B, kWidth, 4, false},
    {FourCc('Y', '4', '2', 'B'), 16, DVENC_FOURCC_Y42B, kWidth, 8, false},
    {FourCc('Y', 'V', '1', '6'), 16, DVENC_FOURCC_YV16, kWidth, 8, false},
};

const Layout* FindLayout(DWORD compression, WORD bitCount) {
    for (const Layout& layout : kLayouts)
        if (layout.compression == compression && layout.bitCount == bitCount) return &layout;
    return nullptr;
}

size_t ImageBytes(const Layout& layout, int height) {
    const size_t luma = static_cast<size_t>(layout.lineBytes) * height;
    const int chromaLines = layout.halfChromaLines ? (height + 1) / 2 : height;
    return luma + static_cast<size_t>(layout.lineBytes) * layout.chromaEighths * chromaLines / 8;
}

}  // namespace

bool ReadInputFormat(const BITMAPINFOHEADER& header, InputFormat* format) {
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
        header.biWidth != kWidth)
        return false;
    const long long lines =
        header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
    if (lines != 480 && lines != 486 && lines != 576) return false;
    const int height = static_cast<int>(lines);
    const Layout* layout = FindLayout(header.biCompression, header.biBitCount);
    if (!layout) return false;
    const size_t imageBytes = ImageBytes(*layout, height);
    if (header.biSizeImage != 0 && header.biSizeImage < imageBytes) return false;

    format->fourcc = layout->libraryFourcc;
    format->height = height;
    format->imageBytes = imageBytes;
    format->frameBytes = height == 576 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
    // A BI_RGB bitmap with a positive height is stored bottom line first. YUV bitmaps are
    // top-down whatever the sign of the height.
    const bool bottomUp = layout->compression == kBiRgb && header.biHeight > 0;
    format->pitch = bottomUp ? -layout->lineBytes : layout->lineBytes;
    format->topLineOffset = bottomUp ? static_cast<size_t>(layout->lineBytes) * (height - 1) : 0;
    return true;
}

bool IsOutputFormat(const BITMAPINFOHEADER& header, const InputFormat& input) {
    const DWORD compression = header.biCompression | 0x20202020u;  // lower case
    return header.biSize >= sizeof(BITMAPINFOHEADER) && compression == FourCc('d', 'v', 's', 'd') &&
           header.biWidth == kWidth &&
           (header.biHeight == input.pictureHeight() || header.biHeight == input.height);
}

void WriteOutputFormat(const InputFormat& input, BITMAPINFOHEADER* header) {
    *header = BITMAPINFOHEADER{};
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = kWidth;
    header->biHeight = input.pictureHeight();
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biCompression = FourCc('d', 'v', 's', 'd');
    header->biSizeImage = static_cast<DWORD>(input.frameBytes);
}
