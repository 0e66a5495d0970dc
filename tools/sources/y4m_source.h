// YUV4MPEG2 input in the layouts the encoder reads: 4:2:0, 4:1:1 and 4:2:2 as their planes
// (I420, Y41B, Y42B), mono as I420 with neutral chroma, 4:4:4 packed as VUYA. Every 4:2:0
// siting is passed as it is: moving 420jpeg or 420mpeg2 chroma to DV's would change it by
// less than DV's coding does (measured on photographs: 46 to 60 dB apart, see docs).
#ifndef DVENC_Y4M_SOURCE_H
#define DVENC_Y4M_SOURCE_H

#include <memory>
#include <string>
#include <vector>

#include "sources/frame_buffer.h"
#include "sources/frame_source.h"
#include "sources/input_file.h"
#include "sources/y4m_reader.h"

namespace dvenc {

class Y4mSource : public FrameSource {
  public:
    // Opens path ("-" = standard input) and reads its header; null with a reason on failure.
    static std::unique_ptr<Y4mSource> Open(const std::string& path, std::string* error);
    // Reads the header from an input already open (and perhaps peeked at).
    static std::unique_ptr<Y4mSource> Open(std::unique_ptr<InputFile> input, std::string* error);

    const Y4mHeader& Header() const { return reader_.Header(); }
    const InputFile& Input() const { return *input_; }

    Result Next(SourceFrame* frame, std::string* error) override;
    int Width() const override { return Header().width; }
    int Height() const override { return Header().height; }
    long long FrameCount() const override;
    bool Interrupted() const override { return input_->Interrupted(); }

  private:
    explicit Y4mSource(std::unique_ptr<InputFile> input)
        : input_(std::move(input)), reader_(input_.get()) {}
    // Converts the frame just read where the encoder needs it; returns its first byte.
    const uint8_t* Convert();

    std::unique_ptr<InputFile> input_;
    Y4mReader reader_;
    std::vector<uint8_t> planes_;
    FrameBuffer frame_;
    int pitch_ = 0;
    unsigned fourcc_ = 0;
};

}  // namespace dvenc

#endif
