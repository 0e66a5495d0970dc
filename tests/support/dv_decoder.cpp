#include "dv_decoder.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixfmt.h>
}

namespace encdv {
namespace test {
namespace {

bool Fail(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

void CopyPlane(const uint8_t* src, int stride, int width, int height, std::vector<uint8_t>& dst) {
    dst.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        std::memcpy(&dst[static_cast<size_t>(row) * width],
                    src + static_cast<ptrdiff_t>(row) * stride, width);
}

// Owns the decoder objects of one call so every exit path frees them.
struct DecoderSession {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    uint8_t* buffer = nullptr;
    ~DecoderSession() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
        av_free(buffer);
    }
};

// The first warning or error the decoder logs while a call asks for them, else empty.
thread_local std::string* gWarning = nullptr;

void CatchWarnings(void*, int level, const char* format, va_list arguments) {
    if (level > AV_LOG_WARNING || gWarning == nullptr || !gWarning->empty()) return;
    char text[256];
    std::vsnprintf(text, sizeof text, format, arguments);
    *gWarning = text[0] != 0 ? text : "(empty message)";
}

// Routes the decoder's log to CatchWarnings for one call.
struct WarningCatcher {
    std::string warning;
    explicit WarningCatcher(bool active) {
        if (active) gWarning = &warning;
    }
    ~WarningCatcher() { gWarning = nullptr; }
};

}  // namespace

bool DecodeDvFrame(const uint8_t* data, size_t size, DecodedFrame& out, std::string* error,
                   bool failOnWarning) {
    av_log_set_level(AV_LOG_WARNING);
    av_log_set_callback(CatchWarnings);
    WarningCatcher catcher(failOnWarning);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    if (!codec) return Fail(error, "libavcodec has no DV decoder");
    DecoderSession s;
    s.context = avcodec_alloc_context3(codec);
    s.packet = av_packet_alloc();
    s.frame = av_frame_alloc();
    if (!s.context || !s.packet || !s.frame) return Fail(error, "out of memory");
    s.context->thread_count = 1;
    if (avcodec_open2(s.context, codec, nullptr) < 0) return Fail(error, "cannot open decoder");

    // The decoder may read past the end of its input by the padding size.
    s.buffer = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!s.buffer) return Fail(error, "out of memory");
    std::memcpy(s.buffer, data, size);
    s.packet->data = s.buffer;
    s.packet->size = static_cast<int>(size);

    if (avcodec_send_packet(s.context, s.packet) < 0) return Fail(error, "frame refused");
    if (avcodec_send_packet(s.context, nullptr) < 0) return Fail(error, "cannot flush");
    if (avcodec_receive_frame(s.context, s.frame) < 0) return Fail(error, "no picture decoded");
    if (s.frame->decode_error_flags != 0 || (s.frame->flags & AV_FRAME_FLAG_CORRUPT))
        return Fail(error, "decoder flagged the picture corrupt");
    if (!catcher.warning.empty()) return Fail(error, "decoder warned: " + catcher.warning);

    out.width = s.frame->width;
    out.height = s.frame->height;
    switch (s.frame->format) {
        case AV_PIX_FMT_YUV420P:
            out.chromaWidth = out.width / 2;
            out.chromaHeight = out.height / 2;
            break;
        case AV_PIX_FMT_YUV411P:
            out.chromaWidth = out.width / 4;
            out.chromaHeight = out.height;
            break;
        default:
            return Fail(error, "unexpected pixel format " + std::to_string(s.frame->format));
    }
    CopyPlane(s.frame->data[0], s.frame->linesize[0], out.width, out.height, out.y);
    CopyPlane(s.frame->data[1], s.frame->linesize[1], out.chromaWidth, out.chromaHeight, out.cb);
    CopyPlane(s.frame->data[2], s.frame->linesize[2], out.chromaWidth, out.chromaHeight, out.cr);
    return true;
}

}  // namespace test
}  // namespace encdv
