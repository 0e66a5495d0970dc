// libavcodec's DV encoder, run as a black box on planar pictures.
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#include "frame_encoder.h"

namespace encdv {
namespace bench {
namespace {

void CopyPlane(const std::vector<uint8_t>& plane, int width, int height, uint8_t* to, int stride) {
    for (int row = 0; row < height; ++row)
        std::memcpy(to + static_cast<ptrdiff_t>(row) * stride,
                    &plane[static_cast<size_t>(row) * width], width);
}

class LibavcodecEncoder final : public FrameEncoder {
  public:
    ~LibavcodecEncoder() override {
        av_packet_free(&packet_);
        av_frame_free(&picture_);
        avcodec_free_context(&context_);
    }

    bool Open(const Clip& clip, int threads, LibavcodecDct dct, std::string& reason) {
        av_log_set_level(AV_LOG_QUIET);
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
        if (!codec) return reason = "no DV encoder in libavcodec", false;
        context_ = avcodec_alloc_context3(codec);
        picture_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (!context_ || !picture_ || !packet_) return reason = "out of memory", false;
        clip_ = &clip;
        context_->width = 720;
        context_->height = clip.height;
        context_->pix_fmt =
            clip.sampling == Sampling::k420 ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
        context_->time_base = clip.height == 576 ? AVRational{1, 25} : AVRational{1001, 30000};
        context_->thread_count = threads;
        // Slices keep one frame in, one frame out; the DV encoder splits a frame by segments.
        context_->thread_type = FF_THREAD_SLICE;
        if (dct == LibavcodecDct::kInterlaced) context_->flags |= AV_CODEC_FLAG_INTERLACED_DCT;
        if (avcodec_open2(context_, codec, nullptr) < 0) return reason = "set-up refused", false;
        picture_->format = context_->pix_fmt;
        picture_->width = 720;
        picture_->height = clip.height;
        if (av_frame_get_buffer(picture_, 32) < 0) return reason = "out of memory", false;
        return true;
    }

    EncodeTime Encode(const ClipFrame& frame, std::vector<uint8_t>& out) override {
        if (av_frame_make_writable(picture_) < 0) return {};
        CopyPlane(frame.y, 720, clip_->height, picture_->data[0], picture_->linesize[0]);
        CopyPlane(frame.cb, clip_->chromaWidth, clip_->chromaHeight, picture_->data[1],
                  picture_->linesize[1]);
        CopyPlane(frame.cr, clip_->chromaWidth, clip_->chromaHeight, picture_->data[2],
                  picture_->linesize[2]);
        picture_->pts = pts_++;
        const Stopwatch watch;
        const bool encoded = avcodec_send_frame(context_, picture_) >= 0 &&
                             avcodec_receive_packet(context_, packet_) >= 0;
        const EncodeTime time = watch.Stop();
        if (!encoded) return {};
        out.assign(packet_->data, packet_->data + packet_->size);
        av_packet_unref(packet_);
        return time;
    }

  private:
    const Clip* clip_ = nullptr;
    AVCodecContext* context_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVPacket* packet_ = nullptr;
    int64_t pts_ = 0;
};

}  // namespace

std::unique_ptr<FrameEncoder> MakeLibavcodecEncoder(const Clip& clip, int threads,
                                                    LibavcodecDct dct, std::string& reason) {
    auto encoder = std::make_unique<LibavcodecEncoder>();
    if (!encoder->Open(clip, threads, dct, reason)) return nullptr;
    return encoder;
}

}  // namespace bench
}  // namespace encdv
