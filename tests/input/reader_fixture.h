#ifndef ENC_DV_TESTS_INPUT_READER_FIXTURE_H
#define ENC_DV_TESTS_INPUT_READER_FIXTURE_H

#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "input/source_reader.h"

namespace encdv::test {

constexpr uint32_t kSeed = 20261207;
constexpr uint32_t kAlphaWeight = 0x100000;  // DVENC_FLAG_ALPHA_WEIGHT

// A reader variant and the pixel-format code and flags that select it.
struct VariantCase {
    ReaderVariant variant;
    PixelFormatCode code;
    uint32_t flags;
};

constexpr VariantCase kVariants[] = {
    {kVariantYUY2, kFormatYUY2, 0},
    {kVariantUYVY, kFormatUYVY, 0},
    {kVariantVUYA, kFormatVUYA, 0},
    {kVariantVUYAAlpha, kFormatVUYA, kAlphaWeight},
    {kVariantBGR3, kFormatBGR3, 0},
    {kVariantBGR4, kFormatBGR4, 0},
    {kVariantBGRAAlpha, kFormatBGRA, kAlphaWeight},
    {kVariantR24C, kFormatR24C, 0},
    {kVariantR32C, kFormatR32C, 0},
    {kVariantR32CAlpha, kFormatR32C, kAlphaWeight},
};

// A source picture in host memory, top line first, tightly pitched.
struct Picture {
    int width = 720;
    int height = 576;
    int bytesPerPixel = 2;
    std::vector<uint8_t> bytes;

    Picture(int bpp, int lines, int pixels = 720)
        : width(pixels),
          height(lines),
          bytesPerPixel(bpp),
          bytes(static_cast<size_t>(pixels) * bpp * lines) {}
    int pitch() const { return width * bytesPerPixel; }
    uint8_t* pixel(int x, int y) { return bytes.data() + y * pitch() + x * bytesPerPixel; }
    void Randomise(std::mt19937& random) {
        for (auto& b : bytes) b = static_cast<uint8_t>(random());
    }
    // Every pixel (or, for 2-byte layouts, every pair) gets the same bytes.
    void Fill(const std::vector<uint8_t>& unit) {
        for (size_t i = 0; i < bytes.size(); i += unit.size()) {
            std::memcpy(&bytes[i], unit.data(), unit.size());
        }
    }
};

// Owns one reader for the length of a test.
class Reader {
  public:
    Reader(PixelFormatCode code, uint32_t flags, int threads, int mode)
        : reader_(Create(code, flags, threads, mode)) {}
    ~Reader() {
        if (reader_ != nullptr) reader_->Release(reader_);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // The reader for a pixel-format code with the alpha flag, as a frame plan selects it.
    static SourceReader* Create(PixelFormatCode code, uint32_t flags, int threads, int mode) {
        ReaderVariant variant;
        if (!SelectReaderVariant(code, (flags & kAlphaWeight) != 0, &variant)) return nullptr;
        return CreateSourceReader(variant, threads, mode);
    }
    SourceReader* get() const { return reader_; }
    int Open(const uint8_t* source, int pitch, int width, int height) {
        return reader_->Open(reader_, source, pitch, width, height);
    }
    // Opens on the picture and prepares the frame; true on success.
    bool Start(const Picture& picture) {
        if (Open(picture.bytes.data(), picture.pitch(), picture.width, picture.height) != 0) {
            return false;
        }
        PrepareWholeFrame(reader_);
        return true;
    }
    MacroblockPixels Read(int x, int y, int thread = 0) const {
        MacroblockPixels mb;
        std::memset(&mb, 0xA5, sizeof mb);
        reader_->ReadMacroblock(reader_, thread, x, y, &mb);
        return mb;
    }

  private:
    SourceReader* reader_;
};

// Every macroblock position of the video mode (the tiling of the picture).
inline std::vector<std::pair<int, int>> MacroblockPositions(int mode) {
    std::vector<std::pair<int, int>> positions;
    if (mode == 0) {
        for (int y = 0; y < 576; y += 16)
            for (int x = 0; x < 720; x += 16) positions.emplace_back(x, y);
        return positions;
    }
    const int lines = mode == 3 ? 480 : 576;
    for (int y = 0; y < lines; y += 8) {
        for (int x = 0; x < 704; x += 32) positions.emplace_back(x, y);
        if (y % 16 == 0) positions.emplace_back(704, y);
    }
    return positions;
}

inline bool SameMacroblock(const MacroblockPixels& a, const MacroblockPixels& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace encdv::test

#endif
