// An FFmpeg filter graph for one chain of video filters: decoded frames in, converted
// frames out.
#ifndef DVENC_LAV_FILTER_GRAPH_H
#define DVENC_LAV_FILTER_GRAPH_H

#include <string>

#include "media/lav_types.h"

namespace dvenc {

class LavFilterGraph {
  public:
    // Builds the graph for frames shaped like first at frameRate (0/1: unknown), time
    // stamps in timeBase, through the filters (FFmpeg's filter chain syntax). False with a
    // reason otherwise.
    bool Build(const AVFrame* first, AVRational frameRate, AVRational timeBase,
               const std::string& filters, std::string* error);

    // True when frame has the size and layout the graph was built for.
    bool Fits(const AVFrame* frame) const;

    // Hands a frame over (taking its contents).
    bool Push(AVFrame* frame);
    // Ends the input at time stamp end (the end of the last frame), so that the last frame
    // keeps its length through rate conversion.
    void Close(int64_t end);
    // The next converted frame: 0, AVERROR(EAGAIN) when more input is needed, AVERROR_EOF
    // after the last.
    int Pull(AVFrame* frame);

  private:
    GraphPtr graph_;
    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int format_ = -1;
};

}  // namespace dvenc

#endif
