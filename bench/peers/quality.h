#ifndef ENC_DV_BENCH_PEERS_QUALITY_H
#define ENC_DV_BENCH_PEERS_QUALITY_H

#include <cstdint>
#include <vector>

#include "clip.h"

namespace encdv {
namespace bench {

// Errors of decoded frames against their sources, summed over a clip: squared errors of each
// plane for its PSNR, and the luma SSIM of each frame for the clip's mean.
class QualityMeter {
  public:
    // Decodes one DV frame with libavcodec's DV decoder (the same decoder for every
    // encoder) and adds its errors against the source frame; false when the decoder
    // refuses it or delivers another sampling than the clip's.
    bool Add(const Clip& clip, const ClipFrame& source, const std::vector<uint8_t>& dv);

    double LumaPsnr() const { return Psnr(squares_[0], samples_[0]); }
    double CbPsnr() const { return Psnr(squares_[1], samples_[1]); }
    double CrPsnr() const { return Psnr(squares_[2], samples_[2]); }
    double LumaSsim() const { return frames_ ? ssimSum_ / frames_ : 0; }
    bool Failed() const { return failed_; }

  private:
    static double Psnr(double squares, double samples);
    double squares_[3] = {};
    double samples_[3] = {};
    double ssimSum_ = 0;
    int frames_ = 0;
    bool failed_ = false;
};

}  // namespace bench
}  // namespace encdv

#endif
