// A source of frames for the encoder: YUV4MPEG2, raw frames, the demo picture or a file
// read through FFmpeg's libraries.
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
    // After kEnd: what went wrong on the way though the frames that could be read were read
    // (damaged data passed over, an input cut short); empty when nothing did.
    virtual std::string EndProblem() const { return std::string(); }
};

}  // namespace dvenc

#endif
