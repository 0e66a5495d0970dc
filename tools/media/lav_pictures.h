// The pictures of a file's video stream as DV pictures: decoded, converted by the filter
// chain of the conversion plan, and laid out as the planes the library takes.
#ifndef DVENC_LAV_PICTURES_H
#define DVENC_LAV_PICTURES_H

#include <memory>
#include <string>

#include "media/conversion_plan.h"
#include "media/lav_decoder.h"
#include "media/lav_filter_graph.h"
#include "media/lav_input.h"
#include "sources/frame_buffer.h"
#include "sources/frame_source.h"

namespace dvenc {

class LavPictures : public FrameSource {
  public:
    // decoder: the video stream's, its first frame already decoded into first.
    LavPictures(std::shared_ptr<LavInput> input, std::unique_ptr<LavDecoder> decoder,
                FramePtr first, const ConversionPlan& plan);

    // Builds the conversion; false with a reason otherwise.
    bool Start(std::string* error);

    Result Next(SourceFrame* frame, std::string* error) override;
    int Width() const override { return 720; }
    int Height() const override { return plan_.height; }
    long long FrameCount() const override;
    bool Interrupted() const override { return input_->Interrupted(); }
    std::string EndProblem() const override;

  private:
    // The length of the video as the file gives it, in seconds; 0 when it does not.
    double Duration() const;
    // The next converted frame into converted_: 0, AVERROR_EOF or another error.
    int Convert(std::string* error);
    // Feeds the graph one decoded frame, or its end.
    bool Feed(std::string* error);

    std::shared_ptr<LavInput> input_;
    std::unique_ptr<LavDecoder> decoder_;
    ConversionPlan plan_;
    LavFilterGraph graph_;
    FramePtr pending_;  // a decoded frame not yet handed to the graph
    FramePtr converted_;
    bool decoderDone_ = false;
    FrameBuffer planes_;
    double firstSeconds_ = 0;  // time stamps of the first and the last picture decoded
    double lastSeconds_ = 0;
    int64_t lastPts_ = 0;  // of the last picture decoded, and how long it lasts
    int64_t lastDuration_ = 1;
};

}  // namespace dvenc

#endif
