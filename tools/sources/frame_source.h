// A source of packed frames for the encoder: YUV4MPEG2, raw frames or the demo picture.
#ifndef DVENC_FRAME_SOURCE_H
#define DVENC_FRAME_SOURCE_H

#include <cstdint>
#include <string>

namespace dvenc {

// One frame as the encoder takes it: the address of the top picture line, the signed
// distance between lines and the layout.
struct SourceFrame {
    const uint8_t* top = nullptr;
    int pitch = 0;
    unsigned fourcc = 0;
};

class FrameSource {
  public:
    virtual ~FrameSource() = default;

    enum class Result { kFrame, kEnd, kError };
    // Produces the next frame, valid until the next call. kEnd at a clean end of the input;
    // kError with a one-line reason otherwise.
    virtual Result Next(SourceFrame* frame, std::string* error) = 0;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Frames the input holds, when that is known in advance; else -1.
    virtual long long FrameCount() const { return -1; }
    // True when reading stopped because of a signal.
    virtual bool Interrupted() const { return false; }
};

}  // namespace dvenc

#endif
