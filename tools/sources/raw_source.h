// Raw frames of one of the encoder's own layouts, read as they are.
#ifndef DVENC_RAW_SOURCE_H
#define DVENC_RAW_SOURCE_H

#include <memory>
#include <string>

#include "sources/fourcc.h"
#include "sources/frame_buffer.h"
#include "sources/frame_source.h"
#include "sources/input_file.h"

namespace dvenc {

struct RawFormat {
    const FourccInfo* fourcc = nullptr;
    int width = 720;
    int height = 576;
    int pitch = 0;  // bytes per stored line; 0: width x bytes per pixel
    bool bottomUp = false;
};

class RawSource : public FrameSource {
  public:
    static std::unique_ptr<RawSource> Open(const std::string& path, const RawFormat& format,
                                           std::string* error);

    Result Next(SourceFrame* frame, std::string* error) override;
    int Width() const override { return format_.width; }
    int Height() const override { return format_.height; }
    long long FrameCount() const override;
    bool Interrupted() const override { return input_.Interrupted(); }
    const InputFile& Input() const { return input_; }

  private:
    RawSource() = default;

    InputFile input_;
    RawFormat format_;
    size_t frameBytes_ = 0;
    FrameBuffer frame_;
    long long frameNumber_ = 0;
};

}  // namespace dvenc

#endif
