#ifndef ENC_DV_BENCH_PEERS_QUALITY_H
#define ENC_DV_BENCH_PEERS_QUALITY_H

#include <cstdint>
#include <vector>

#include "clip.h"

namespace encdv {
namespace bench {

// Squared errors of decoded frames against their sources, summed over a clip.
class QualityMeter {
  public:
    // Decodes one DV frame with libavcodec's DV decoder (the same decoder for every
    // encoder) and adds its errors against the source frame; false when the decoder
    // refuses it or delivers another sampling than the clip's.
    bool Add(const Clip& clip, const ClipFrame& source, const std::vector<uint8_t>& dv);

    double LumaPsnr() const { return Psnr(lumaSquares_, lumaSamples_); }
    double ChromaPsnr() const { return Psnr(chromaSquares_, chromaSamples_); }
    bool Failed() const { return failed_; }

  private:
    static double Psnr(double squares, double samples);
    double lumaSquares_ = 0, lumaSamples_ = 0;
    double chromaSquares_ = 0, chromaSamples_ = 0;
    bool failed_ = false;
};

}  // namespace bench
}  // namespace encdv

#endif
