// A moving synthetic test picture: 75% colour bars, a zone plate whose rings move (fine
// detail up to the luma limit), a hue sweep crossed by a ball whose two fields are drawn
// at their own instants (interlaced motion), one-pixel line patterns, a grey scale and a
// frame counter.
#ifndef DVENC_DEMO_PICTURE_H
#define DVENC_DEMO_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "frame_buffer.h"
#include "frame_source.h"

namespace dvenc {

// Draws frame number frame of a 720-pixel-wide picture of height lines as YUY2. DV shows
// the bottom field first, so odd lines are drawn at time frame and even lines half a frame
// later.
void DrawDemoFrame(long long frame, int height, uint8_t* destination, ptrdiff_t pitch);

class DemoSource : public FrameSource {
  public:
    DemoSource(int height, long long frames);
    Result Next(SourceFrame* frame, std::string* error) override;
    int Width() const override { return 720; }
    int Height() const override { return height_; }
    long long FrameCount() const override { return frames_; }

  private:
    int height_;
    long long frames_;
    long long next_ = 0;
    FrameBuffer frame_;
};

}  // namespace dvenc

#endif
