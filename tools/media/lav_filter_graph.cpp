#include "media/lav_filter_graph.h"

#include <cstdio>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace dvenc {

namespace {

struct InOutFree {
    void operator()(AVFilterInOut* list) const { avfilter_inout_free(&list); }
};
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutFree>;

}  // namespace

bool LavFilterGraph::Build(const AVFrame* first, AVRational frameRate, AVRational timeBase,
                           const std::string& filters, std::string* error) {
    graph_.reset(avfilter_graph_alloc());
    if (!graph_) {
        *error = "out of memory building the picture conversion";
        return false;
    }
    width_ = first->width;
    height_ = first->height;
    format_ = first->format;
    const AVRational aspect =
        first->sample_aspect_ratio.num > 0 ? first->sample_aspect_ratio : AVRational{0, 1};
    const AVRational rate = frameRate.num > 0 && frameRate.den > 0 ? frameRate : AVRational{0, 1};
    char arguments[256];
    std::snprintf(arguments, sizeof arguments,
                  "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d:frame_rate=%d/%d",
                  width_, height_, format_, timeBase.num, timeBase.den, aspect.num, aspect.den,
                  rate.num, rate.den);
    int result = avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in",
                                              arguments, nullptr, graph_.get());
    if (result >= 0) {
        result = avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out",
                                              nullptr, nullptr, graph_.get());
    }
    // The chain's open ends: its input is the source's output and its output the sink's input.
    InOutPtr outputs(avfilter_inout_alloc());
    InOutPtr inputs(avfilter_inout_alloc());
    if (result >= 0 && (!outputs || !inputs)) result = AVERROR(ENOMEM);
    if (result >= 0) {
        outputs->name = av_strdup("in");
        outputs->filter_ctx = source_;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink_;
        AVFilterInOut* in = inputs.release();
        AVFilterInOut* out = outputs.release();
        result = avfilter_graph_parse_ptr(graph_.get(), filters.c_str(), &in, &out, nullptr);
        inputs.reset(in);
        outputs.reset(out);
    }
    if (result >= 0) result = avfilter_graph_config(graph_.get(), nullptr);
    if (result < 0) {
        *error = "cannot set up the picture conversion '" + filters + "': " + LavError(result);
        return false;
    }
    return true;
}

bool LavFilterGraph::Fits(const AVFrame* frame) const {
    return frame->width == width_ && frame->height == height_ && frame->format == format_;
}

bool LavFilterGraph::Push(AVFrame* frame) {
    return av_buffersrc_add_frame_flags(source_, frame, 0) >= 0;
}

void LavFilterGraph::Close(int64_t end) {
    av_buffersrc_close(source_, end, AV_BUFFERSRC_FLAG_PUSH);
}

int LavFilterGraph::Pull(AVFrame* frame) {
    return av_buffersink_get_frame(sink_, frame);
}

}  // namespace dvenc
