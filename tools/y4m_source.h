// YUV4MPEG2 input converted to the packed layouts the encoder reads: 4:2:2 and mono as
// YUY2, 4:4:4 as VUYA, 4:2:0 and 4:1:1 interpolated to 4:2:2 first.
#ifndef DVENC_Y4M_SOURCE_H
#define DVENC_Y4M_SOURCE_H

#include <memory>
#include <string>
#include <vector>

#include "frame_buffer.h"
#include "frame_source.h"
#include "input_file.h"
#include "y4m_reader.h"

namespace dvenc {

class Y4mSource : public FrameSource {
  public:
    // Opens path ("-" = standard input) and reads its header; null with a reason on failure.
    static std::unique_ptr<Y4mSource> Open(const std::string& path, std::string* error);

    const Y4mHeader& Header() const { return reader_.Header(); }
    const InputFile& Input() const { return input_; }

    Result Next(SourceFrame* frame, std::string* error) override;
    int Width() const override { return Header().width; }
    int Height() const override { return Header().height; }
    long long FrameCount() const override;
    bool Interrupted() const override { return input_.Interrupted(); }

  private:
    Y4mSource() : reader_(&input_) {}
    void Convert();

    InputFile input_;
    Y4mReader reader_;
    std::vector<uint8_t> planes_;
    std::vector<uint8_t> work_;
    std::vector<uint8_t> cb422_;
    std::vector<uint8_t> cr422_;
    FrameBuffer frame_;
    int pitch_ = 0;
    unsigned fourcc_ = 0;
};

}  // namespace dvenc

#endif
