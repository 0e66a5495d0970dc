#include "y4m_source.h"

#include "chroma_upsampler.h"
#include "enc_dv.h"
#include "frame_packing.h"
#include "range_conversion.h"

namespace dvenc {

std::unique_ptr<Y4mSource> Y4mSource::Open(const std::string& path, std::string* error) {
    std::unique_ptr<Y4mSource> source(new Y4mSource);
    if (!source->input_.Open(path, error)) return nullptr;
    if (!source->reader_.ReadHeader(error)) {
        if (!source->input_.Failed()) *error = source->input_.Name() + ": " + *error;
        return nullptr;
    }
    const Y4mHeader& h = source->Header();
    const Y4mPlanes& p = source->reader_.Planes();
    const bool full = h.chroma == Y4mChroma::k444 || h.chroma == Y4mChroma::k444Alpha;
    source->fourcc_ = full ? DVENC_FOURCC_VUYA : DVENC_FOURCC_YUY2;
    source->pitch_ = h.width * (full ? 4 : 2);
    source->frame_.Allocate(static_cast<size_t>(source->pitch_) * h.height);
    const size_t plane422 = static_cast<size_t>((h.width + 1) / 2) * h.height;
    if (!full && h.chroma != Y4mChroma::k422 && h.chroma != Y4mChroma::kMono) {
        source->cb422_.resize(plane422);
        source->cr422_.resize(plane422);
        source->work_.resize(static_cast<size_t>(p.chromaWidth) * h.height);
    }
    source->planes_.resize(p.frameBytes);
    return source;
}

long long Y4mSource::FrameCount() const {
    // Each frame is its planes plus a "FRAME\n" line; the header is shorter than a frame.
    const long long size = input_.Size();
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
    Convert();
    frame->top = frame_.Data();
    frame->pitch = pitch_;
    frame->fourcc = fourcc_;
    return Result::kFrame;
}

void Y4mSource::Convert() {
    const Y4mHeader& h = Header();
    const Y4mPlanes& p = reader_.Planes();
    if (h.fullRange) {
        FullToStudioLuma(planes_.data(), p.lumaBytes);
        FullToStudioChroma(planes_.data() + p.lumaBytes, 2 * p.chromaBytes);
    }
    const uint8_t* luma = planes_.data();
    const uint8_t* cb = luma + p.lumaBytes;
    const uint8_t* cr = cb + p.chromaBytes;
    // Only a stream that declares itself progressive is filtered across its fields.
    const bool interlaced = h.interlace != Y4mInterlace::kProgressive;
    switch (h.chroma) {
        case Y4mChroma::k444:
        case Y4mChroma::k444Alpha:
            PackVuya(luma, cb, cr, p.alpha ? cr + p.chromaBytes : nullptr, h.width, h.height,
                     frame_.Data(), pitch_);
            return;
        case Y4mChroma::k422:
            PackYuy2(luma, cb, cr, h.width, h.height, frame_.Data(), pitch_);
            return;
        case Y4mChroma::kMono:
            PackYuy2(luma, nullptr, nullptr, h.width, h.height, frame_.Data(), pitch_);
            return;
        case Y4mChroma::k411:
            Upsample411To422(cb, h.width, h.height, cb422_.data());
            Upsample411To422(cr, h.width, h.height, cr422_.data());
            break;
        case Y4mChroma::k420Jpeg:
        case Y4mChroma::k420Mpeg2:
        case Y4mChroma::k420PalDv: {
            const Siting420 siting = h.chroma == Y4mChroma::k420Jpeg    ? Siting420::kCentred
                                     : h.chroma == Y4mChroma::k420Mpeg2 ? Siting420::kLeftCentred
                                                                        : Siting420::kLeftTop;
            Upsample420To422(cb, p.chromaWidth, h.width, h.height, siting, interlaced, work_.data(),
                             cb422_.data());
            Upsample420To422(cr, p.chromaWidth, h.width, h.height, siting, interlaced, work_.data(),
                             cr422_.data());
            break;
        }
    }
    PackYuy2(luma, cb422_.data(), cr422_.data(), h.width, h.height, frame_.Data(), pitch_);
}

}  // namespace dvenc
