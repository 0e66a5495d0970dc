#include "scalar_kernels.h"

#include <algorithm>
#include <vector>

namespace encdv::twin {

namespace {

int Sat8(int v) {
    return std::min(255, std::max(0, v));
}
// floor(a x b / 65536), the upper half of a signed 16x16-bit product.
int Hi16(int a, int b) {
    return (a * b) >> 16;
}

bool IsStudio(ReaderVariant v) {
    return v == kVariantR24C || v == kVariantR32C || v == kVariantR32CAlpha;
}

// A pixel after alpha weighting: its samples before the colour matrix (RGB) or final (VUYA).
struct Samples {
    int a, b, c;  // R, G, B for the RGB layouts; Y, Cb, Cr for VUYA
};

Samples LoadPixel(ReaderVariant v, const uint8_t* p) {
    const int alpha = BytesPerPixel(v) == 4 ? p[3] : 255;
    switch (v) {
        case kVariantVUYA:
            return {p[2], p[1], p[0]};
        case kVariantVUYAAlpha:
            return {((p[2] - 16) * (alpha + 1) + 4112) >> 8,
                    ((p[1] - 128) * (alpha + 1) + 32896) >> 8,
                    ((p[0] - 128) * (alpha + 1) + 32896) >> 8};
        case kVariantBGRAAlpha:
            return {(p[2] * (alpha + 1) + 128) >> 8, (p[1] * (alpha + 1) + 128) >> 8,
                    (p[0] * (alpha + 1) + 128) >> 8};
        case kVariantR32CAlpha:
            return {((p[2] - 16) * (alpha + 1) + 4224) >> 8,
                    ((p[1] - 16) * (alpha + 1) + 4224) >> 8,
                    ((p[0] - 16) * (alpha + 1) + 4224) >> 8};
        default:
            return {p[2], p[1], p[0]};
    }
}

// Luma byte and the chroma values before their final shift (5 fractional bits full range,
// 1 studio range).
struct Converted {
    int y, cb, cr;
};

Converted ConvertRgb(bool studio, int r, int g, int b) {
    if (studio) {
        const int luma = (9794 * r + 3752 * b + 19222 * g + 16380) >> 15;
        return {Sat8(luma), Hi16((b - luma) * 4, 18925) + 257, Hi16((r - luma) * 4, 23902) + 257};
    }
    const int luma = (8412 * r + 3222 * b + 16508 * g + 16375) >> 15;
    const int fullLuma = luma * 128 + Hi16(luma * 128, 10775);
    return {Sat8(luma + 16), Hi16(b * 128 - fullLuma, 8127) + 4112,
            Hi16(r * 128 - fullLuma, 10264) + 4112};
}

bool IsVuya(ReaderVariant v) {
    return v == kVariantVUYA || v == kVariantVUYAAlpha;
}

}  // namespace

int BytesPerPixel(ReaderVariant v) {
    switch (v) {
        case kVariantYUY2:
        case kVariantUYVY:
            return 2;
        case kVariantBGR3:
        case kVariantR24C:
            return 3;
        default:
            return 4;
    }
}

bool HasRowTo444(ReaderVariant v) {
    return v != kVariantYUY2 && v != kVariantUYVY;
}

void RowTo422(ReaderVariant v, const uint8_t* s, int count, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    const bool yuy2 = v == kVariantYUY2;
    for (int i = 0; i < count / 2; ++i) {
        const uint8_t* pair = s + 4 * i;
        y[2 * i] = yuy2 ? pair[0] : pair[1];
        y[2 * i + 1] = yuy2 ? pair[2] : pair[3];
        cb[i] = yuy2 ? pair[1] : pair[0];
        cr[i] = yuy2 ? pair[3] : pair[2];
    }
}

void RowTo444(ReaderVariant v, const uint8_t* s, int count, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    for (int i = 0; i < count; ++i) {
        const Samples px = LoadPixel(v, s + i * BytesPerPixel(v));
        if (IsVuya(v)) {
            y[i] = px.a, cb[i] = px.b, cr[i] = px.c;
            continue;
        }
        const Converted c = ConvertRgb(IsStudio(v), px.a, px.b, px.c);
        const int shift = IsStudio(v) ? 1 : 5;
        y[i] = c.y, cb[i] = Sat8(c.cb >> shift), cr[i] = Sat8(c.cr >> shift);
    }
}

void StripTo422(ReaderVariant v, const uint8_t* s, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    if (!HasRowTo444(v)) return RowTo422(v, s, 16, y, cb, cr);
    const int bpp = BytesPerPixel(v);
    for (int i = 0; i < 8; ++i) {
        const Samples p0 = LoadPixel(v, s + 2 * i * bpp);
        const Samples p1 = LoadPixel(v, s + (2 * i + 1) * bpp);
        if (IsVuya(v)) {
            y[2 * i] = p0.a, y[2 * i + 1] = p1.a;
            cb[i] = (p0.b + p1.b + 1) >> 1;
            cr[i] = (p0.c + p1.c + 1) >> 1;
            continue;
        }
        const Converted c0 = ConvertRgb(IsStudio(v), p0.a, p0.b, p0.c);
        const Converted c1 = ConvertRgb(IsStudio(v), p1.a, p1.b, p1.c);
        const int shift = IsStudio(v) ? 2 : 6;
        y[2 * i] = c0.y, y[2 * i + 1] = c1.y;
        cb[i] = Sat8((c0.cb + c1.cb) >> shift);
        cr[i] = Sat8((c0.cr + c1.cr) >> shift);
    }
}

int ChromaFilter4to1(const uint8_t* s, int c) {
    return Sat8((7 * s[c - 2] + 16 * s[c - 1] + 18 * s[c] + 16 * s[c + 1] + 7 * s[c + 2] + 30) >>
                6);
}

int ChromaFilter2to1(const uint8_t* s, int c) {
    return Sat8((s[c - 1] + 6 * s[c] + s[c + 1] + 2) >> 3);
}

MacroblockPixels ReadMacroblock(ReaderVariant v, int mode, const uint8_t* source, int pitch, int x,
                                int y) {
    MacroblockPixels mb{};
    auto& out = mb.blocks;
    const int bpp = BytesPerPixel(v);
    auto line = [&](int n) { return source + static_cast<std::ptrdiff_t>(n) * pitch; };
    if (mode == 0) {
        uint8_t luma[16][16], cb[16][8], cr[16][8];
        for (int r = 0; r < 16; ++r) StripTo422(v, line(y + r) + x * bpp, luma[r], cb[r], cr[r]);
        for (int r = 0; r < 16; ++r) {
            for (int c = 0; c < 8; ++c) {
                out[r < 8 ? kBlockY0 : kBlockY2][8 * (r % 8) + c] = luma[r][c];
                out[r < 8 ? kBlockY1 : kBlockY3][8 * (r % 8) + c] = luma[r][c + 8];
            }
        }
        // Chroma row k from lines 4 (k / 2) + k % 2 and two lines below: the same field.
        for (int k = 0; k < 8; ++k) {
            const int first = 4 * (k / 2) + k % 2;
            for (int c = 0; c < 8; ++c) {
                out[kBlockCb][8 * k + c] = (cb[first][c] + cb[first + 2][c] + 1) >> 1;
                out[kBlockCr][8 * k + c] = (cr[first][c] + cr[first + 2][c] + 1) >> 1;
            }
        }
        return mb;
    }
    // 4:1:1: each line converted whole; chroma decimated horizontally, edge samples repeated.
    const bool full = HasRowTo444(v);
    const int chromaCount = full ? 720 : 360;
    std::vector<uint8_t> luma(720), cbLine(chromaCount + 8), crLine(chromaCount + 8);
    // Filtered chroma sample k (centre at luma column first + 4k) of a picture line.
    auto convert = [&](int n) {
        if (full) {
            RowTo444(v, line(n), 720, luma.data(), cbLine.data() + 4, crLine.data() + 4);
        } else {
            RowTo422(v, line(n), 720, luma.data(), cbLine.data() + 4, crLine.data() + 4);
        }
        for (auto* chroma : {&cbLine, &crLine}) {
            std::fill_n(chroma->begin(), 4, (*chroma)[4]);
            std::fill(chroma->begin() + 4 + chromaCount, chroma->end(), (*chroma)[3 + chromaCount]);
        }
    };
    auto filtered = [&](const std::vector<uint8_t>& chroma, int lumaColumn) {
        return full ? ChromaFilter4to1(chroma.data() + 4, lumaColumn)
                    : ChromaFilter2to1(chroma.data() + 4, lumaColumn / 2);
    };
    if (x < 704) {
        for (int r = 0; r < 8; ++r) {
            convert(y + r);
            for (int c = 0; c < 32; ++c) out[kBlockY0 + c / 8][8 * r + c % 8] = luma[x + c];
            for (int k = 0; k < 8; ++k) {
                out[kBlockCb][8 * r + k] = filtered(cbLine, x + 4 * k);
                out[kBlockCr][8 * r + k] = filtered(crLine, x + 4 * k);
            }
        }
        return mb;
    }
    for (int r = 0; r < 16; ++r) {
        convert(y + r);
        for (int c = 0; c < 16; ++c) {
            out[(r < 8 ? kBlockY0 : kBlockY2) + c / 8][8 * (r % 8) + c % 8] = luma[704 + c];
        }
        for (int k = 0; k < 4; ++k) {
            out[kBlockCb][8 * (r % 8) + 4 * (r / 8) + k] = filtered(cbLine, 704 + 4 * k);
            out[kBlockCr][8 * (r % 8) + 4 * (r / 8) + k] = filtered(crLine, 704 + 4 * k);
        }
    }
    return mb;
}

}  // namespace encdv::twin
