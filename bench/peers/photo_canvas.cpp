// The photograph mosaic: six sample pictures of python3-skimage, each scaled to cover a cell
// of a 3 x 2 grid and cut to it.
#include "photo_canvas.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

namespace encdv {
namespace bench {
namespace {

constexpr int kCellWidth = 512;
constexpr int kCellHeight = 400;

// Licences as the package's data module states them: astronaut (NASA), hubble_deep_field
// (NASA) and rocket (SpaceX) are in the public domain; coffee, chelsea and camera are CC0.
const char* const kPhotos[6] = {"astronaut.png", "coffee.png", "rocket.jpg",
                                "chelsea.png",   "camera.png", "hubble_deep_field.jpg"};

struct ContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// R'G'B' (0-255) to studio-range Y'CbCr with the ITU-R BT.601 coefficients.
void StoreRgb(PhotoCanvas& to, int x, int y, double r, double g, double b) {
    to.y.At(x, y) = static_cast<float>(16 + 219.0 / 255 * (0.299 * r + 0.587 * g + 0.114 * b));
    to.cb.At(x, y) =
        static_cast<float>(128 + 224.0 / 255 * (-0.168736 * r - 0.331264 * g + 0.5 * b));
    to.cr.At(x, y) =
        static_cast<float>(128 + 224.0 / 255 * (0.5 * r - 0.418688 * g - 0.081312 * b));
}

// The decoded picture's samples into studio-range planes; false for a pixel format the
// sample pictures do not use.
bool ToPlanes(const AVFrame& f, PhotoCanvas& to) {
    const int w = f.width, h = f.height;
    to.y = FloatPlane(w, h);
    to.cb = FloatPlane(w, h, 128);
    to.cr = FloatPlane(w, h, 128);
    const auto format = static_cast<AVPixelFormat>(f.format);
    for (int y = 0; y < h; ++y) {
        const uint8_t* line = f.data[0] + static_cast<ptrdiff_t>(y) * f.linesize[0];
        for (int x = 0; x < w; ++x) {
            switch (format) {
                case AV_PIX_FMT_RGB24:
                    StoreRgb(to, x, y, line[3 * x], line[3 * x + 1], line[3 * x + 2]);
                    break;
                case AV_PIX_FMT_RGBA:
                    StoreRgb(to, x, y, line[4 * x], line[4 * x + 1], line[4 * x + 2]);
                    break;
                case AV_PIX_FMT_GRAY8:
                    StoreRgb(to, x, y, line[x], line[x], line[x]);
                    break;
                case AV_PIX_FMT_YUVJ420P:
                case AV_PIX_FMT_YUVJ422P:
                case AV_PIX_FMT_YUVJ444P: {
                    // JFIF's full-range Y'CbCr, chroma taken from the nearest sample.
                    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
                    const int cx = x >> d->log2_chroma_w, cy = y >> d->log2_chroma_h;
                    const double cb = f.data[1][static_cast<ptrdiff_t>(cy) * f.linesize[1] + cx];
                    const double cr = f.data[2][static_cast<ptrdiff_t>(cy) * f.linesize[2] + cx];
                    to.y.At(x, y) = static_cast<float>(16 + 219.0 / 255 * line[x]);
                    to.cb.At(x, y) = static_cast<float>(128 + 224.0 / 255 * (cb - 128));
                    to.cr.At(x, y) = static_cast<float>(128 + 224.0 / 255 * (cr - 128));
                    break;
                }
                default:
                    return false;
            }
        }
    }
    return true;
}

bool Decode(const std::string& path, PhotoCanvas& to, std::string& reason) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return reason = "no " + path, false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    const bool png = path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0;
    av_log_set_level(AV_LOG_QUIET);
    const AVCodec* codec = avcodec_find_decoder(png ? AV_CODEC_ID_PNG : AV_CODEC_ID_MJPEG);
    if (!codec) return reason = "libavcodec has no decoder for " + path, false;
    std::unique_ptr<AVCodecContext, ContextFree> context(avcodec_alloc_context3(codec));
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    if (!context || !frame || !packet) return reason = "out of memory", false;
    context->thread_count = 1;
    if (avcodec_open2(context.get(), codec, nullptr) < 0 ||
        av_new_packet(packet.get(), static_cast<int>(bytes.size())) < 0)
        return reason = "cannot decode " + path, false;
    std::copy(bytes.begin(), bytes.end(), packet->data);
    const bool decoded = avcodec_send_packet(context.get(), packet.get()) >= 0 &&
                         avcodec_send_packet(context.get(), nullptr) >= 0 &&
                         avcodec_receive_frame(context.get(), frame.get()) >= 0;
    if (!decoded || !ToPlanes(*frame, to)) return reason = "cannot decode " + path, false;
    return true;
}

// Scales the photograph to cover the cell (the smaller scale that fills it), centred, and
// writes it into the canvas at column cellX, row cellY.
void PlaceInCell(const PhotoCanvas& photo, int cellX, int cellY, PhotoCanvas& canvas) {
    const double step = std::min(static_cast<double>(photo.y.width) / kCellWidth,
                                 static_cast<double>(photo.y.height) / kCellHeight);
    const double left = (photo.y.width - step * kCellWidth) / 2 + (step - 1) / 2;
    const double top = (photo.y.height - step * kCellHeight) / 2 + (step - 1) / 2;
    const Taps columns = MakeTaps(EvenPositions(left, step, kCellWidth), step, photo.y.width);
    const Taps rows = MakeTaps(EvenPositions(top, step, kCellHeight), step, photo.y.height);
    const FloatPlane* from[3] = {&photo.y, &photo.cb, &photo.cr};
    FloatPlane* to[3] = {&canvas.y, &canvas.cb, &canvas.cr};
    for (int p = 0; p < 3; ++p) {
        const FloatPlane cell = Resample(*from[p], columns, rows);
        for (int y = 0; y < kCellHeight; ++y)
            for (int x = 0; x < kCellWidth; ++x)
                to[p]->At(cellX * kCellWidth + x, cellY * kCellHeight + y) = cell.At(x, y);
    }
}

}  // namespace

bool LoadPhotoCanvas(const std::string& directory, PhotoCanvas& canvas, std::string& reason) {
    canvas.y = FloatPlane(3 * kCellWidth, 2 * kCellHeight);
    canvas.cb = FloatPlane(3 * kCellWidth, 2 * kCellHeight);
    canvas.cr = FloatPlane(3 * kCellWidth, 2 * kCellHeight);
    for (int i = 0; i < 6; ++i) {
        PhotoCanvas photo;
        if (!Decode(directory + "/" + kPhotos[i], photo, reason)) return false;
        PlaceInCell(photo, i % 3, i / 3, canvas);
    }
    return true;
}

}  // namespace bench
}  // namespace encdv
