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
          flags_(flags),
          source_(source),
          handle_(entry == EncDvEntry::kHandle ? DVNewEnc() : nullptr),
          entry_(entry) {}
    ~EncDvEncoder() override { DVDoneEnc(handle_); }

    EncodeTime Encode(const ClipFrame& frame, std::vector<uint8_t>& out) override {
        if (entry_ == EncDvEntry::kHandle && !handle_) return {};
        out.resize(DVENC_MAX_FRAME_BYTES);
        const bool bgr = source_ == EncDvSource::kBgr4;
        const uint8_t* pixels = bgr ? frame.bgr4.data() : frame.yuy2.data();
        const int pitch = bgr ? 4 * 720 : 2 * 720;
        const unsigned fourcc = bgr ? DVENC_FOURCC_BGR4 : DVENC_FOURCC_YUY2;
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
