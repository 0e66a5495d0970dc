#include "sources/raw_source.h"

namespace dvenc {

std::unique_ptr<RawSource> RawSource::Open(const std::string& path, const RawFormat& format,
                                           std::string* error) {
    std::unique_ptr<RawSource> source(new RawSource);
    if (!source->input_.Open(path, error)) return nullptr;
    source->format_ = format;
    if (source->format_.pitch == 0) {
        source->format_.pitch = format.width * format.fourcc->bytesPerPixel;
    }
    source->frameBytes_ = RawFrameBytes(*format.fourcc, source->format_.pitch, format.height);
    source->frame_.Allocate(source->frameBytes_);
    return source;
}

long long RawSource::FrameCount() const {
    const long long size = input_.Size();
    return size < 0 ? -1 : size / static_cast<long long>(frameBytes_);
}

FrameSource::Result RawSource::Next(SourceFrame* frame, std::string* error) {
    const size_t got = input_.Read(frame_.Data(), frameBytes_);
    if (got != frameBytes_) {
        if (input_.Failed()) {
            *error = input_.ErrorText();
            return Result::kError;
        }
        if (got == 0) return Result::kEnd;
        *error = "input ends inside frame " + std::to_string(frameNumber_ + 1) + " (" +
                 std::to_string(got) + " of " + std::to_string(frameBytes_) + " bytes)";
        return Result::kError;
    }
    ++frameNumber_;
    const int pitch = format_.pitch;
    if (format_.bottomUp) {
        // The top picture line is the last one in memory; step backwards from it.
        frame->top = frame_.Data() + static_cast<size_t>(pitch) * (format_.height - 1);
        frame->pitch = -pitch;
    } else {
        frame->top = frame_.Data();
        frame->pitch = pitch;
    }
    frame->fourcc = format_.fourcc->value;
    return Result::kFrame;
}

}  // namespace dvenc
