#include "input/reader_planar.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "common/constants.h"
#include "common/video_mode.h"
#include "input/chroma_filters.h"
#include "input/input_kernels.h"
#include "input/planar_chroma.h"
#include "platform/prefetch.h"

namespace encdv {
namespace {

enum class Sampling { k420, k422, k411 };

// A 720x486 picture is encoded from its lines 2 to 481.
constexpr int kCroppedHeight = 486;
constexpr int kCropTop = 2;
constexpr int kCroppedLines = 480;
// Chroma samples of a 4:2:2 line and of a 4:1:1 line.
constexpr int kHalfWidth = kLineWidth / 2;
constexpr int kQuarterWidth = kLineWidth / 4;
// The 16x16 macroblock at the right edge of the 4:1:1 systems.
constexpr int kRightEdgeX = 704;

constexpr int ChromaDivisor(Sampling sampling) {
    return sampling == Sampling::k411 ? 4 : 2;
}

template <Sampling kSampling, bool kCrFirst>
int OpenPlanar(SourceReader* reader, const uint8_t* source, int pitch, int width, int height) {
    constexpr int kDivisor = ChromaDivisor(kSampling);
    if (source == nullptr || width < kLineWidth || pitch < width || pitch % kDivisor != 0 ||
        height < 1) {
        return kOpenBadGeometry;
    }
    const std::int64_t chromaPitch = pitch / kDivisor;
    const std::int64_t chromaLines = kSampling == Sampling::k420 ? (height + 1) / 2 : height;
    const std::int64_t lumaBytes = std::int64_t{pitch} * height;
    // Every plane must be addressable: the frame's bytes within what a pointer can step over.
    if (lumaBytes + 2 * chromaPitch * chromaLines > PTRDIFF_MAX / 2) return kOpenBadGeometry;
    const uint8_t* first = source + lumaBytes;
    const uint8_t* second = first + chromaPitch * chromaLines;
    int firstLine = 0;
    if (width == kLineWidth && height == kCroppedHeight) {
        firstLine = kCropTop;
        height = kCroppedLines;
    }
    if (height < LinesReadInMode(reader->videoMode)) return kOpenBadGeometry;
    reader->source = source + static_cast<std::ptrdiff_t>(firstLine) * pitch;
    reader->pitch = pitch;
    reader->width = width;
    reader->height = height;
    reader->cbPlane = kCrFirst ? second : first;
    reader->crPlane = kCrFirst ? first : second;
    reader->chromaPitch = static_cast<int32_t>(chromaPitch);
    reader->chromaLines = static_cast<int32_t>(chromaLines);
    reader->chromaFirstLine = firstLine;
    return kOpenOk;
}

void CopyBlock(const uint8_t* rows, std::ptrdiff_t pitch, uint8_t* block) {
    for (int r = 0; r < 8; ++r) std::memcpy(block + 8 * r, rows + r * pitch, 8);
}

// Luma of a 16x16 macroblock: Y0 and Y1 the top eight lines' left and right halves, Y2 and
// Y3 the bottom eight's.
void CopyLuma16x16(const uint8_t* luma, std::ptrdiff_t pitch, MacroblockPixels* destination) {
    for (int b = 0; b < 4; ++b) {
        CopyBlock(luma + (b / 2) * 8 * pitch + (b % 2) * 8, pitch, destination->blocks[b]);
    }
}

// Luma of a 32x8 macroblock: block b from columns 8b to 8b + 7.
void CopyLuma32x8(const uint8_t* luma, std::ptrdiff_t pitch, MacroblockPixels* destination) {
    for (int b = 0; b < 4; ++b) CopyBlock(luma + 8 * b, pitch, destination->blocks[b]);
}

const uint8_t* LumaAt(const SourceReader* reader, int x, int y) {
    return reader->source + static_cast<std::ptrdiff_t>(y) * reader->pitch + x;
}

// Chroma line `line` (of the uncropped picture) of a plane, from column `column`.
const uint8_t* ChromaAt(const SourceReader* reader, const uint8_t* plane, int line, int column) {
    return plane + static_cast<std::ptrdiff_t>(line) * reader->chromaPitch + column;
}

// 625/50 4:2:0 from 4:2:0: every sample in place.
void Read420From420(SourceReader* reader, int, int x, int y, MacroblockPixels* destination) {
    CopyLuma16x16(LumaAt(reader, x, y), reader->pitch, destination);
    const std::ptrdiff_t pitch = reader->chromaPitch;
    CopyBlock(ChromaAt(reader, reader->crPlane, y / 2, x / 2), pitch,
              destination->blocks[kBlockCr]);
    CopyBlock(ChromaAt(reader, reader->cbPlane, y / 2, x / 2), pitch,
              destination->blocks[kBlockCb]);
}

// 625/50 4:2:0 from 4:2:2 or 4:1:1: two lines of a field averaged.
template <Sampling kSampling>
void Read420From(SourceReader* reader, int, int x, int y, MacroblockPixels* destination) {
    const PlanarChromaKernels& kernels = GetInputKernels().planarChroma;
    CopyLuma16x16(LumaAt(reader, x, y), reader->pitch, destination);
    const std::ptrdiff_t pitch = reader->chromaPitch;
    const int column = x / ChromaDivisor(kSampling);
    for (const int b : {kBlockCr, kBlockCb}) {
        const uint8_t* plane = b == kBlockCr ? reader->crPlane : reader->cbPlane;
        const uint8_t* rows = ChromaAt(reader, plane, y, column);
        if (kSampling == Sampling::k422) {
            kernels.fieldAverage422(rows, pitch, destination->blocks[b]);
        } else {
            kernels.fieldAverage411(rows, pitch, column + 4 >= kQuarterWidth,
                                    destination->blocks[b]);
        }
    }
}

// 4:1:1 from 4:1:1: every sample in place; the 16x16 macroblock at the right edge carries
// the chroma of its top eight lines in block columns 0-3 and of its bottom eight in 4-7.
void Read411From411(SourceReader* reader, int, int x, int y, MacroblockPixels* destination) {
    const std::ptrdiff_t pitch = reader->chromaPitch;
    const int line = y + reader->chromaFirstLine;
    if (x < kRightEdgeX) {
        CopyLuma32x8(LumaAt(reader, x, y), reader->pitch, destination);
        CopyBlock(ChromaAt(reader, reader->crPlane, line, x / 4), pitch,
                  destination->blocks[kBlockCr]);
        CopyBlock(ChromaAt(reader, reader->cbPlane, line, x / 4), pitch,
                  destination->blocks[kBlockCb]);
        return;
    }
    CopyLuma16x16(LumaAt(reader, x, y), reader->pitch, destination);
    for (const int b : {kBlockCr, kBlockCb}) {
        const uint8_t* plane = b == kBlockCr ? reader->crPlane : reader->cbPlane;
        for (int r = 0; r < 8; ++r) {
            std::memcpy(destination->blocks[b] + 8 * r, ChromaAt(reader, plane, line + r, x / 4),
                        4);
            std::memcpy(destination->blocks[b] + 8 * r + 4,
                        ChromaAt(reader, plane, line + 8 + r, x / 4), 4);
        }
    }
}

// The plane lines of the two chroma lines of picture line `line`'s field nearest to it (the
// field's 4:2:0 chroma lying midway between two of its lines): `nearer` a quarter of a line
// away, `farther` three quarters (the nearer repeated at the field's first and last lines).
struct FieldRows {
    int nearer;
    int farther;
};

FieldRows FieldRowsOf(const SourceReader* reader, int line) {
    const int field = line & 1;
    const int fieldLine = line >> 1;
    const int fieldRows = (reader->chromaLines + 1 - field) / 2;
    const int nearer = fieldLine >> 1;
    int farther = (fieldLine & 1) ? nearer + 1 : nearer - 1;
    farther = farther < 0 ? 0 : farther >= fieldRows ? fieldRows - 1 : farther;
    return FieldRows{2 * nearer + field, 2 * farther + field};
}

// A 4:2:2 chroma line of the picture (line counted in the uncropped picture) as the packed
// layouts' readers see it, in an aligned buffer with room for the 4:1:1 filter's reads: the
// samples from `column` - 1 to `column` + 16, the line's first sample standing in before it
// and its last after it.
class HalfLine {
  public:
    // Samples column .. column + 16 (and column - 1) of a 4:2:2 plane's line.
    void From422(const uint8_t* line, int column) {
        for (int i = -1; i <= 16; ++i) Sample(i) = line[Clamp(column + i)];
    }

    // The same of a 4:2:0 plane: each sample between the chroma lines of the field around
    // picture line `line`.
    void From420(const SourceReader* reader, const uint8_t* plane, int line, int column,
                 BlendRowsKernel blend) {
        const FieldRows rows = FieldRowsOf(reader, line);
        const int first = column - 8 < 0 ? 0 : column - 8;  // aligned to the blend's steps
        alignas(16) uint8_t blended[40];
        const int count = (column + 24 > kHalfWidth ? kHalfWidth : column + 24) - first;
        blend(ChromaAt(reader, plane, rows.nearer, first),
              ChromaAt(reader, plane, rows.farther, first), (count + 7) & ~7, blended);
        for (int i = -1; i <= 16; ++i) {
            Sample(i) = blended[Clamp(column + i) - first];
        }
    }

    const uint8_t* Samples() const { return buffer_ + 16; }

  private:
    static int Clamp(int c) { return c < 0 ? 0 : c >= kHalfWidth ? kHalfWidth - 1 : c; }
    uint8_t& Sample(int i) { return buffer_[16 + i]; }
    alignas(16) uint8_t buffer_[48];
};

// One line's 8 filtered chroma samples from column `column` of a 4:2:2 (or interpolated
// 4:2:0) chroma line. Away from the picture's edges the filter reads the plane (or the
// interpolated samples) directly; at them, through a copy with the edge samples repeated.
template <Sampling kSampling>
void FilterLine(const SourceReader* reader, const uint8_t* plane, int line, int column,
                const InputKernels& kernels, uint8_t* filtered) {
    const bool inside = column > 0 && column + 16 < kHalfWidth;
    if (kSampling == Sampling::k422) {
        const uint8_t* samples = ChromaAt(reader, plane, line, column);
        if (inside) {
            kernels.chromaFilters.filter2to1(samples, filtered);
            return;
        }
        HalfLine half;
        half.From422(samples - column, column);
        kernels.chromaFilters.filter2to1(half.Samples(), filtered);
        return;
    }
    if (inside) {
        const FieldRows rows = FieldRowsOf(reader, line);
        kernels.planarChroma.blendFilter2to1(ChromaAt(reader, plane, rows.nearer, column),
                                             ChromaAt(reader, plane, rows.farther, column),
                                             filtered);
        return;
    }
    HalfLine half;
    half.From420(reader, plane, line, column, kernels.planarChroma.blendRows);
    kernels.chromaFilters.filter2to1(half.Samples(), filtered);
}

// 4:1:1 from 4:2:2 or 4:2:0: each line filtered to a quarter of the luma width.
template <Sampling kSampling>
void Read411From(SourceReader* reader, int, int x, int y, MacroblockPixels* destination) {
    const InputKernels& kernels = GetInputKernels();
    const bool edge = x >= kRightEdgeX;
    if (edge) {
        CopyLuma16x16(LumaAt(reader, x, y), reader->pitch, destination);
    } else {
        CopyLuma32x8(LumaAt(reader, x, y), reader->pitch, destination);
    }
    const int column = x / 2;
    const int lines = edge ? 16 : 8;
    for (const int b : {kBlockCr, kBlockCb}) {
        const uint8_t* plane = b == kBlockCr ? reader->crPlane : reader->cbPlane;
        for (int r = 0; r < lines; ++r) {
            uint8_t filtered[8];
            FilterLine<kSampling>(reader, plane, y + r + reader->chromaFirstLine, column, kernels,
                                  filtered);
            uint8_t* row = destination->blocks[b] + 8 * (r % 8);
            if (edge) {
                std::memcpy(row + 4 * (r / 8), filtered, 4);
            } else {
                std::memcpy(row, filtered, 8);
            }
        }
    }
}

void PrefetchPlanar(const SourceReader* reader, int x, int y) {
    const uint8_t* line = LumaAt(reader, x, y);
    for (int j = 0; j < 16; ++j, line += reader->pitch) platform::PrefetchForRead(line);
}

int OpenNothing(SourceReader*, const uint8_t*, int, int, int) {
    return kOpenBadGeometry;
}

}  // namespace

void InstallPlanarReader(SourceReader* reader, ReaderVariant variant, int videoMode) {
    const bool is420 = videoMode == MODE_625_420;
    reader->PrefetchMacroblock = PrefetchPlanar;
    reader->Open = OpenNothing;
    switch (variant) {
        case kVariantI420:
        case kVariantYV12:
            reader->Open = variant == kVariantI420 ? OpenPlanar<Sampling::k420, false>
                                                   : OpenPlanar<Sampling::k420, true>;
            reader->ReadMacroblock = is420 ? Read420From420 : Read411From<Sampling::k420>;
            break;
        case kVariantY41B:
            reader->Open = OpenPlanar<Sampling::k411, false>;
            reader->ReadMacroblock = is420 ? Read420From<Sampling::k411> : Read411From411;
            break;
        case kVariantY42B:
        case kVariantYV16:
            reader->Open = variant == kVariantY42B ? OpenPlanar<Sampling::k422, false>
                                                   : OpenPlanar<Sampling::k422, true>;
            reader->ReadMacroblock =
                is420 ? Read420From<Sampling::k422> : Read411From<Sampling::k422>;
            break;
        default:
            break;
    }
}

}  // namespace encdv
