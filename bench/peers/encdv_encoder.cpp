// This library as a host sees it: DVCompressBuffer with a handle, or CompressBuffer_DV.
#include "enc_dv.h"
#include "frame_encoder.h"

namespace encdv {
namespace bench {
namespace {

class EncDvEncoder final : public FrameEncoder {
  public:
    EncDvEncoder(const Clip& clip, EncDvEntry entry, EncDvSource source, unsigned flags)
        : height_(clip.height),
          planarFourcc_(clip.sampling == Sampling::k420 ? DVENC_FOURCC_I420 : DVENC_FOURCC_Y41B),
          flags_(flags),
          source_(source),
          handle_(entry == EncDvEntry::kHandle ? DVNewEnc() : nullptr),
          entry_(entry) {}
    ~EncDvEncoder() override { DVDoneEnc(handle_); }

    EncodeTime Encode(const ClipFrame& frame, std::vector<uint8_t>& out) override {
        if (entry_ == EncDvEntry::kHandle && !handle_) return {};
        out.resize(DVENC_MAX_FRAME_BYTES);
        const uint8_t* pixels = frame.yuy2.data();
        int pitch = 2 * 720;
        unsigned fourcc = DVENC_FOURCC_YUY2;
        if (source_ == EncDvSource::kBgr4) {
            pixels = frame.bgr4.data();
            pitch = 4 * 720;
            fourcc = DVENC_FOURCC_BGR4;
        } else if (source_ == EncDvSource::kPlanar) {
            // The three planes one after the other, as a host holds them (a copy made outside
            // the timing).
            planes_.assign(frame.y.begin(), frame.y.end());
            planes_.insert(planes_.end(), frame.cb.begin(), frame.cb.end());
            planes_.insert(planes_.end(), frame.cr.begin(), frame.cr.end());
            pixels = planes_.data();
            pitch = 720;
            fourcc = planarFourcc_;
        }
        const Stopwatch watch;
        const int length =
            entry_ == EncDvEntry::kHandle
                ? DVCompressBuffer(handle_, pixels, pitch, out.data(), 0, 720, height_, 0, flags_,
                                   fourcc)
                : CompressBuffer_DV(pixels, pitch, out.data(), 0, 720, height_, 0, flags_, fourcc);
        const EncodeTime time = watch.Stop();
        if (length <= 0) return {};
        out.resize(length);
        return time;
    }

  private:
    int height_;
    unsigned planarFourcc_;
    std::vector<uint8_t> planes_;
    unsigned flags_;
    EncDvSource source_;
    DVEncoderHandle* handle_;
    EncDvEntry entry_;
};

}  // namespace

std::unique_ptr<FrameEncoder> MakeEncDvEncoder(const Clip& clip, EncDvEntry entry,
                                               EncDvSource source, unsigned flags) {
    return std::make_unique<EncDvEncoder>(clip, entry, source, flags);
}

}  // namespace bench
}  // namespace encdv
