#include "reader_twins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "input/input_kernels.h"
#include "platform/cpu_features.h"

namespace encdv::twin {

namespace {

// The input tests run the kernels that InitDVEnc chooses for this processor.
class SelectKernels : public ::testing::Environment {
    void SetUp() override { SelectInputKernels(GetFeatureWord()); }
};
const ::testing::Environment* const kSelectKernels =
    ::testing::AddGlobalTestEnvironment(new SelectKernels);

int Sat8(int v) {
    return std::min(255, std::max(0, v));
}

// Runs a portable row kernel of the variant on a context set up as a reader sets it up.
void RunPortable(ReaderVariant v, RowKernel RowKernels::*kind, const uint8_t* source, int count,
                 uint8_t* y, uint8_t* cb, uint8_t* cr) {
    InputKernels portable;
    InitInputKernels(0, portable);
    KernelContext context{};
    const RowKernelSet layout = RowKernelsFor(v);
    if (layout.constants != nullptr) {
        std::copy_n(&layout.constants->rows[0][0], 15 * 8, &context.conversionConstants[0][0]);
    }
    context.source = source;
    context.lumaDestination = y;
    context.cbDestination = cb;
    context.crDestination = cr;
    context.pixelCount = count;
    context.bytesPerPixel = layout.bytesPerPixel;
    (portable.rows[v].*kind)(&context);
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
    RunPortable(v, &RowKernels::rowTo422, s, count, y, cb, cr);
}

void RowTo444(ReaderVariant v, const uint8_t* s, int count, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    RunPortable(v, &RowKernels::rowTo444, s, count, y, cb, cr);
}

void StripTo422(ReaderVariant v, const uint8_t* s, uint8_t* y, uint8_t* cb, uint8_t* cr) {
    RunPortable(v, &RowKernels::stripTo422, s, 16, y, cb, cr);
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
