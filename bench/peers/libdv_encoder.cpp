// libdv's encoder, run as a black box on packed 4:2:2 pictures.
#include <libdv/dv.h>

#include "frame_encoder.h"

namespace encdv {
namespace bench {
namespace {

class LibdvEncoder final : public FrameEncoder {
  public:
    explicit LibdvEncoder(const Clip& clip) : encoder_(dv_encoder_new(0, 0, 0)) {
        if (encoder_) {
            encoder_->isPAL = clip.height == 576 ? 1 : 0;
            encoder_->is16x9 = 0;
        }
        frameBytes_ = clip.height == 576 ? 144000 : 120000;
    }
    ~LibdvEncoder() override {
        if (encoder_) dv_encoder_free(encoder_);
    }
    bool Ready() const { return encoder_ != nullptr; }

    EncodeTime Encode(const ClipFrame& frame, std::vector<uint8_t>& out) override {
        // libdv takes a non-const picture pointer; give it its own copy.
        input_ = frame.yuy2;
        out.assign(frameBytes_, 0);
        uint8_t* planes[3] = {input_.data(), nullptr, nullptr};
        const Stopwatch watch;
        const int status = dv_encode_full_frame(encoder_, planes, e_dv_color_yuv, out.data());
        const EncodeTime time = watch.Stop();
        return status < 0 ? EncodeTime{} : time;
    }

  private:
    dv_encoder_t* encoder_;
    size_t frameBytes_;
    std::vector<uint8_t> input_;
};

}  // namespace

std::unique_ptr<FrameEncoder> MakeLibdvEncoder(const Clip& clip, std::string& reason) {
    if (clip.height == 576 && clip.sampling == Sampling::k411) {
        reason = "no 625/50 4:1:1";
        return nullptr;
    }
    auto encoder = std::make_unique<LibdvEncoder>(clip);
    if (!encoder->Ready()) {
        reason = "set-up refused";
        return nullptr;
    }
    return encoder;
}

}  // namespace bench
}  // namespace encdv
