// Reader of YUV4MPEG2 streams: the header line, then "FRAME" lines each followed by the
// planes Y, Cb, Cr (and A for 444alpha), 8 bits per sample.
#ifndef DVENC_Y4M_READER_H
#define DVENC_Y4M_READER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sources/input_file.h"

namespace dvenc {

// Chroma layouts accepted. The 4:2:0 variants differ in where chroma sits: 420jpeg centred
// between luma columns and lines, 420mpeg2 on the even luma columns and between lines,
// 420paldv on the even luma columns and lines.
enum class Y4mChroma { k420Jpeg, k420Mpeg2, k420PalDv, k411, k422, k444, k444Alpha, kMono };

enum class Y4mInterlace { kUnknown, kProgressive, kTopFirst, kBottomFirst, kMixed };

struct Y4mHeader {
    int width = 0;
    int height = 0;
    int rateNumerator = 0;  // 0:0 when the stream does not say
    int rateDenominator = 0;
    int aspectNumerator = 0;  // sample aspect ratio; 0:0 when unknown
    int aspectDenominator = 0;
    Y4mInterlace interlace = Y4mInterlace::kUnknown;
    Y4mChroma chroma = Y4mChroma::k420Jpeg;  // the format's default when C is absent
    bool fullRange = false;                  // XCOLORRANGE=FULL: samples 0-255, not 16-235/240
};

// Parses the header line (without its '\n') and checks that dvenc can encode it: 720
// pixels wide, 480, 486 or 576 lines, a chroma layout above. On failure returns false with
// a one-line reason.
bool ParseY4mHeader(const std::string& line, Y4mHeader* header, std::string* error);

// Sizes of the planes of one frame.
struct Y4mPlanes {
    int chromaWidth = 0;  // 0 for mono
    int chromaHeight = 0;
    bool alpha = false;
    size_t lumaBytes = 0;
    size_t chromaBytes = 0;  // of one chroma plane
    size_t frameBytes = 0;   // all planes
};
Y4mPlanes PlanesOf(const Y4mHeader& header);

class Y4mReader {
  public:
    explicit Y4mReader(InputFile* input) : input_(input) {}

    // Reads and checks the header line.
    bool ReadHeader(std::string* error);
    const Y4mHeader& Header() const { return header_; }
    const Y4mPlanes& Planes() const { return planes_; }

    enum class FrameResult { kFrame, kEnd, kError };
    // Reads the next frame's planes into planeData (resized once to Planes().frameBytes).
    // kEnd only at a clean end of the stream between frames.
    FrameResult ReadFrame(std::vector<uint8_t>* planeData, std::string* error);

  private:
    InputFile* input_;
    Y4mHeader header_;
    Y4mPlanes planes_;
    long long frameNumber_ = 0;
};

}  // namespace dvenc

#endif
