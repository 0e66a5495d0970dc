// A moving synthetic test picture: 75% colour bars, a zone plate whose rings move (fine
// detail up to the luma limit), a hue sweep crossed by a ball whose two fields are drawn
// at their own instants (interlaced motion), one-pixel line patterns, a grey scale and a
// frame counter.
#ifndef DVENC_DEMO_PICTURE_H
#define DVENC_DEMO_PICTURE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sources/frame_buffer.h"
#include "sources/frame_source.h"

namespace dvenc {

// The picture as YUY2, 720 pixels wide. The still parts are drawn once; each frame redraws
// only what moves (the zone plate from per-pixel cosine and sine terms, the ball within its
// box, the counter), so that drawing costs a small part of encoding. DV shows the bottom
// field first, so odd lines are drawn at time frame and even lines half a frame later.
class DemoPicture {
  public:
    explicit DemoPicture(int height);

    // Draws frame number frame; the picture stays valid until the next call.
    const uint8_t* Draw(long long frame);
    static constexpr int kPitch = 720 * 2;

  private:
    struct Box {
        int left = 0, right = 0, top = 0, bottom = 0;  // right and bottom exclusive
    };
    void DrawZonePlate(long long frame);
    Box DrawBall(long long frame, int parity);
    void DrawCounter(long long frame);
    void Restore(const Box& box);

    int height_;
    FrameBuffer picture_;
    std::vector<uint8_t> background_;  // the still parts, without the ball
    // Zone plate: 96 x 128 x cos and sin of each luma sample's phase at time 0.
    int zoneTop_ = 0;
    int zoneBottom_ = 0;
    std::vector<int16_t> zoneCos_;
    std::vector<int16_t> zoneSin_;
    // Hue band: Y', Cb, Cr of every column, and the ball's last boxes (one per field).
    int bandTop_ = 0;
    int bandBottom_ = 0;
    std::vector<double> hueY_, hueCb_, hueCr_;
    Box ballBoxes_[2];
    int counterTop_ = 0;
};

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
    DemoPicture picture_;
};

}  // namespace dvenc

#endif
