// PSNR of a whole clip from the squared errors of every decoded sample, and its mean SSIM.
#include "quality.h"

#include <cmath>
#include <limits>

#include "ssim.h"
#include "support/dv_decoder.h"

namespace encdv {
namespace bench {
namespace {

double SumSquares(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    return sum;
}

}  // namespace

bool QualityMeter::Add(const Clip& clip, const ClipFrame& source, const std::vector<uint8_t>& dv) {
    test::DecodedFrame decoded;
    if (!test::DecodeDvFrame(dv.data(), dv.size(), decoded) || decoded.width != 720 ||
        decoded.height != clip.height || decoded.chromaWidth != clip.chromaWidth ||
        decoded.chromaHeight != clip.chromaHeight) {
        failed_ = true;
        return false;
    }
    const std::vector<uint8_t>* planes[3][2] = {
        {&decoded.y, &source.y}, {&decoded.cb, &source.cb}, {&decoded.cr, &source.cr}};
    for (int p = 0; p < 3; ++p) {
        squares_[p] += SumSquares(*planes[p][0], *planes[p][1]);
        samples_[p] += static_cast<double>(planes[p][1]->size());
    }
    ssimSum_ += Ssim(decoded.y.data(), source.y.data(), 720, clip.height);
    ++frames_;
    return true;
}

double QualityMeter::Psnr(double squares, double samples) {
    if (samples == 0) return std::numeric_limits<double>::quiet_NaN();
    if (squares == 0) return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(255.0 * 255.0 * samples / squares);
}

}  // namespace bench
}  // namespace encdv
