#include "media/lav_metadata.h"

#include <cmath>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

namespace dvenc {

namespace {

Rational ToRational(AVRational r) {
    return r.num > 0 && r.den > 0 ? Rational{r.num, r.den} : Rational{};
}

// The field order in display: the container's when it gives an interlaced one, else the
// decoder's frame flags.
Scan ScanOf(const AVStream* stream, const AVFrame* first) {
    switch (stream->codecpar->field_order) {
        case AV_FIELD_TT:
        case AV_FIELD_BT:  // bottom coded first, top displayed first
            return Scan::kTopFirst;
        case AV_FIELD_BB:
        case AV_FIELD_TB:
            return Scan::kBottomFirst;
        default:
            break;
    }
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(58, 7, 100)
    const bool interlaced = first->flags & AV_FRAME_FLAG_INTERLACED;
    const bool topFirst = first->flags & AV_FRAME_FLAG_TOP_FIELD_FIRST;
#else
    const bool interlaced = first->interlaced_frame;
    const bool topFirst = first->top_field_first;
#endif
    if (interlaced) return topFirst ? Scan::kTopFirst : Scan::kBottomFirst;
    return stream->codecpar->field_order == AV_FIELD_PROGRESSIVE ? Scan::kProgressive
                                                                 : Scan::kUnknown;
}

Matrix MatrixOf(AVColorSpace space) {
    switch (space) {
        case AVCOL_SPC_BT709:
            return Matrix::kBt709;
        case AVCOL_SPC_BT470BG:
        case AVCOL_SPC_SMPTE170M:
        case AVCOL_SPC_FCC:
            return Matrix::kBt601;
        case AVCOL_SPC_SMPTE240M:
            return Matrix::kSmpte240m;
        case AVCOL_SPC_BT2020_NCL:
        case AVCOL_SPC_BT2020_CL:
            return Matrix::kBt2020;
        default:
            return Matrix::kUnknown;
    }
}

// The clockwise turn the display matrix asks for, to the nearest quarter.
int RotationOf(const AVStream* stream) {
    const uint8_t* matrix = nullptr;
#if LIBAVFORMAT_VERSION_MAJOR >= 61
    const AVPacketSideData* side =
        av_packet_side_data_get(stream->codecpar->coded_side_data,
                                stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
    if (side && side->size >= 9 * 4) matrix = side->data;
#else
    size_t size = 0;
    matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (size < 9 * 4) matrix = nullptr;
#endif
    if (!matrix) return 0;
    const double angle = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(angle)) return 0;
    const int quarter = static_cast<int>(std::lround(-angle / 90.0));
    return ((quarter % 4) + 4) % 4 * 90;
}

std::string Tag(const AVDictionary* tags, const char* key) {
    const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0);
    return entry && entry->value ? entry->value : "";
}

}  // namespace

SourcePicture DescribeSource(AVFormatContext* format, AVStream* stream, const AVFrame* first) {
    SourcePicture s;
    s.width = first->width;
    s.height = first->height;
    s.sampleAspect =
        ToRational(av_guess_sample_aspect_ratio(format, stream, const_cast<AVFrame*>(first)));
    s.frameRate = ToRational(av_guess_frame_rate(format, stream, const_cast<AVFrame*>(first)));
    s.rotation = RotationOf(stream);
    s.scan = ScanOf(stream, first);
    s.matrix = MatrixOf(first->colorspace != AVCOL_SPC_UNSPECIFIED ? first->colorspace
                                                                   : stream->codecpar->color_space);
    const AVColorRange range = first->color_range != AVCOL_RANGE_UNSPECIFIED
                                   ? first->color_range
                                   : stream->codecpar->color_range;
    s.range = range == AVCOL_RANGE_JPEG   ? Range::kFull
              : range == AVCOL_RANGE_MPEG ? Range::kStudio
                                          : Range::kUnknown;
    const auto pixelFormat = static_cast<AVPixelFormat>(first->format);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(pixelFormat);
    s.rgb = descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_RGB);
    const char* name = av_get_pix_fmt_name(pixelFormat);
    s.pixelFormat = name ? name : "";
    return s;
}

std::string TimecodeTag(AVFormatContext* format, AVStream* video) {
    std::string tag = Tag(video->metadata, "timecode");
    for (unsigned i = 0; tag.empty() && i < format->nb_streams; ++i) {
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_DATA) {
            tag = Tag(format->streams[i]->metadata, "timecode");
        }
    }
    return tag.empty() ? Tag(format->metadata, "timecode") : tag;
}

std::string CreationTag(AVFormatContext* format, AVStream* video) {
    std::string tag = Tag(format->metadata, "com.apple.quicktime.creationdate");
    if (tag.empty()) tag = Tag(format->metadata, "creation_time");
    return tag.empty() ? Tag(video->metadata, "creation_time") : tag;
}

}  // namespace dvenc
