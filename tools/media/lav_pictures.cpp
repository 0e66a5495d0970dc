#include "media/lav_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "enc_dv.h"

namespace dvenc {

namespace {

double Seconds(int64_t pts, AVRational timeBase) {
    return pts == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(pts) * av_q2d(timeBase);
}

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

// Copies a plane of width x height samples to a run of lines width apart. shift moves it
// down a line: the top field takes the bottom field's lines and the bottom field the top
// field's, one line lower (4:2:0 chroma lines alternate between the fields as luma lines
// do), and the first line repeats the second, the bottom field's nearest.
uint8_t* CopyPlane(const AVFrame* frame, int plane, int width, int height, bool shift,
                   uint8_t* out) {
    for (int y = 0; y < height; ++y) {
        const int from = !shift ? y : y == 0 ? 1 : y - 1;
        std::memcpy(out, frame->data[plane] + static_cast<ptrdiff_t>(from) * frame->linesize[plane],
                    static_cast<size_t>(width));
        out += width;
    }
    return out;
}

}  // namespace

LavPictures::LavPictures(std::shared_ptr<LavInput> input, std::unique_ptr<LavDecoder> decoder,
                         FramePtr first, const ConversionPlan& plan)
    : input_(std::move(input)),
      decoder_(std::move(decoder)),
      plan_(plan),
      pending_(std::move(first)),
      converted_(av_frame_alloc()) {}

bool LavPictures::Start(std::string* error) {
    if (!converted_) {
        *error = "out of memory";
        return false;
    }
    // Y, then Cb and Cr: 360 x 288 each at 4:2:0, 180 x height at 4:1:1.
    planes_.Allocate(static_cast<size_t>(720) * plan_.height * 3 / 2);
    const AVStream* stream = decoder_->Stream();
    // Pictures without time stamps (an elementary stream) are timed at the file's rate.
    if (pending_->pts == AV_NOPTS_VALUE) pending_->pts = 0;
    firstSeconds_ = Seconds(pending_->pts, stream->time_base);
    lastSeconds_ = firstSeconds_;
    lastPts_ = pending_->pts;
    // Until two pictures tell it, a picture lasts a frame of the stream's rate.
    const AVRational rate = plan_.sourceRate.Known()
                                ? AVRational{plan_.sourceRate.num, plan_.sourceRate.den}
                            : stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate
                                                             : AVRational{25, 1};
    lastDuration_ = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(rate), stream->time_base));
    const AVRational sourceRate = {plan_.sourceRate.num, plan_.sourceRate.den};
    return graph_.Build(pending_.get(), sourceRate, stream->time_base, plan_.filters, error);
}

double LavPictures::Duration() const {
    const AVStream* stream = decoder_->Stream();
    if (stream->duration > 0) return Seconds(stream->duration, stream->time_base);
    // Matroska gives each stream's length as a tag, "HH:MM:SS.nnnnnnnnn".
    const AVDictionaryEntry* tag = av_dict_get(stream->metadata, "DURATION", nullptr, 0);
    int hours = 0, minutes = 0;
    double seconds = 0;
    if (tag && std::sscanf(tag->value, "%d:%d:%lf", &hours, &minutes, &seconds) == 3) {
        return hours * 3600.0 + minutes * 60.0 + seconds;
    }
    const int64_t whole = input_->Format()->duration;
    return whole > 0 ? static_cast<double>(whole) / AV_TIME_BASE : 0.0;
}

long long LavPictures::FrameCount() const {
    const double seconds = Duration();
    return seconds > 0 ? std::llround(seconds * plan_.rate.Value()) : -1;
}

bool LavPictures::Feed(std::string* error) {
    if (!pending_->buf[0]) {
        if (decoder_->Next(pending_.get()) != LavDecoder::Got::kFrame) {
            decoderDone_ = true;
            graph_.Close(lastPts_ + lastDuration_);
            return true;
        }
        if (pending_->pts == AV_NOPTS_VALUE) {
            pending_->pts = lastPts_ + lastDuration_;
        } else if (pending_->pts > lastPts_) {
            lastDuration_ = pending_->pts - lastPts_;
        }
        lastPts_ = pending_->pts;
        lastSeconds_ = Seconds(pending_->pts, decoder_->Stream()->time_base);
    }
    if (!graph_.Fits(pending_.get())) {
        *error = input_->Name() + ": the picture changes from its first size or layout to " +
                 std::to_string(pending_->width) + "x" + std::to_string(pending_->height) + " at " +
                 SecondsText(lastSeconds_ - firstSeconds_) + "; encode the parts one at a time";
        return false;
    }
    if (!graph_.Push(pending_.get())) {
        *error = input_->Name() + ": the picture conversion refused a frame";
        return false;
    }
    return true;
}

int LavPictures::Convert(std::string* error) {
    for (;;) {
        const int result = graph_.Pull(converted_.get());
        if (result != AVERROR(EAGAIN)) return result;
        if (decoderDone_) return AVERROR_EOF;
        if (!Feed(error)) return AVERROR(EINVAL);
    }
}

FrameSource::Result LavPictures::Next(SourceFrame* frame, std::string* error) {
    error->clear();
    const int result = Convert(error);
    if (result == AVERROR_EOF) return Result::kEnd;
    if (result < 0) {
        if (error->empty()) {
            *error = input_->Name() + ": the picture conversion failed (" + LavError(result) + ")";
        }
        return Result::kError;
    }
    const AVFrame* f = converted_.get();
    const bool is411 = plan_.pixelFormat == "yuv411p";
    const AVPixelFormat expected = is411 ? AV_PIX_FMT_YUV411P : AV_PIX_FMT_YUV420P;
    if (f->width != 720 || f->height != plan_.height || f->format != expected) {
        *error = input_->Name() + ": the picture conversion gave " + std::to_string(f->width) +
                 "x" + std::to_string(f->height) + " pictures, not DV's";
        av_frame_unref(converted_.get());
        return Result::kError;
    }
    const int chromaWidth = is411 ? 180 : 360;
    const int chromaHeight = is411 ? plan_.height : plan_.height / 2;
    const bool shift = plan_.fields == FieldTreatment::kFieldsShifted;
    uint8_t* out = CopyPlane(f, 0, 720, plan_.height, shift, planes_.Data());
    out = CopyPlane(f, 1, chromaWidth, chromaHeight, shift, out);
    CopyPlane(f, 2, chromaWidth, chromaHeight, shift, out);
    av_frame_unref(converted_.get());
    frame->top = planes_.Data();
    frame->pitch = 720;
    frame->fourcc = is411 ? DVENC_FOURCC_Y41B : DVENC_FOURCC_I420;
    return Result::kFrame;
}

std::string LavPictures::EndProblem() const {
    const double reached = lastSeconds_ - firstSeconds_;
    if (!input_->Problem().empty()) {
        return input_->Name() + ": " + input_->Problem() + " after " + SecondsText(reached);
    }
    if (decoder_->Damaged() > 0) {
        const int n = decoder_->Damaged();
        return input_->Name() + ": damaged video data (" + std::to_string(n) +
               (n == 1 ? " picture" : " pictures") + " lost or decoded with errors)";
    }
    // A file whose pictures end well before the length it gives them is cut short.
    const double expected = Duration();
    const double ended = reached + lastDuration_ * av_q2d(decoder_->Stream()->time_base);
    if (expected > 0 && ended < expected - std::max(0.5, expected / 50)) {
        return input_->Name() + ": the pictures end at " + SecondsText(reached) + " of the " +
               SecondsText(expected) + " the file gives (it seems cut short)";
    }
    return std::string();
}

}  // namespace dvenc
