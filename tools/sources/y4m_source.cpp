#include "sources/y4m_source.h"

#include <cstring>

#include "enc_dv.h"
#include "sources/frame_packing.h"
#include "sources/range_conversion.h"

namespace dvenc {

std::unique_ptr<Y4mSource> Y4mSource::Open(const std::string& path, std::string* error) {
    auto input = std::make_unique<InputFile>();
    if (!input->Open(path, error)) return nullptr;
    return Open(std::move(input), error);
}

std::unique_ptr<Y4mSource> Y4mSource::Open(std::unique_ptr<InputFile> input, std::string* error) {
    std::unique_ptr<Y4mSource> source(new Y4mSource(std::move(input)));
    if (!source->reader_.ReadHeader(error)) {
        if (!source->input_->Failed()) *error = source->input_->Name() + ": " + *error;
        return nullptr;
    }
    const Y4mHeader& h = source->Header();
    const Y4mPlanes& p = source->reader_.Planes();
    source->pitch_ = h.width;
    switch (h.chroma) {
        case Y4mChroma::k444:
        case Y4mChroma::k444Alpha:
            source->fourcc_ = DVENC_FOURCC_VUYA;
            source->pitch_ = 4 * h.width;
            source->frame_.Allocate(static_cast<size_t>(source->pitch_) * h.height);
            break;
        case Y4mChroma::k422:
            source->fourcc_ = DVENC_FOURCC_Y42B;
            break;
        case Y4mChroma::k411:
            source->fourcc_ = DVENC_FOURCC_Y41B;
            break;
        case Y4mChroma::k420Jpeg:
        case Y4mChroma::k420Mpeg2:
        case Y4mChroma::k420PalDv:
            source->fourcc_ = DVENC_FOURCC_I420;
            break;
        case Y4mChroma::kMono: {
            // The luma plane followed by neutral 4:2:0 chroma planes.
            source->fourcc_ = DVENC_FOURCC_I420;
            const size_t chroma = static_cast<size_t>(h.width / 2) * ((h.height + 1) / 2);
            source->frame_.Allocate(p.lumaBytes + 2 * chroma);
            std::memset(source->frame_.Data() + p.lumaBytes, 128, 2 * chroma);
            break;
        }
    }
    source->planes_.resize(p.frameBytes);
    return source;
}

long long Y4mSource::FrameCount() const {
    // Each frame is its planes plus a "FRAME\n" line; the header is shorter than a frame.
    const long long size = input_->Size();
    if (size < 0) return -1;
    return size / static_cast<long long>(reader_.Planes().frameBytes + 6);
}

FrameSource::Result Y4mSource::Next(SourceFrame* frame, std::string* error) {
    switch (reader_.ReadFrame(&planes_, error)) {
        case Y4mReader::FrameResult::kEnd:
            return Result::kEnd;
        case Y4mReader::FrameResult::kError:
            return Result::kError;
        case Y4mReader::FrameResult::kFrame:
            break;
    }
    frame->top = Convert();
    frame->pitch = pitch_;
    frame->fourcc = fourcc_;
    return Result::kFrame;
}

const uint8_t* Y4mSource::Convert() {
    const Y4mHeader& h = Header();
    const Y4mPlanes& p = reader_.Planes();
    if (h.fullRange) {
        FullToStudioLuma(planes_.data(), p.lumaBytes);
        FullToStudioChroma(planes_.data() + p.lumaBytes, 2 * p.chromaBytes);
    }
    const uint8_t* luma = planes_.data();
    const uint8_t* cb = luma + p.lumaBytes;
    const uint8_t* cr = cb + p.chromaBytes;
    switch (h.chroma) {
        case Y4mChroma::k444:
        case Y4mChroma::k444Alpha:
            PackVuya(luma, cb, cr, p.alpha ? cr + p.chromaBytes : nullptr, h.width, h.height,
                     frame_.Data(), pitch_);
            return frame_.Data();
        case Y4mChroma::kMono:
            std::memcpy(frame_.Data(), luma, p.lumaBytes);
            return frame_.Data();
        default:
            // The planes as they are: the library takes 4:2:2, 4:1:1 and 4:2:0 planar.
            return luma;
    }
}

}  // namespace dvenc
