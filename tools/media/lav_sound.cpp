#include "media/lav_sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace dvenc {

LavSound::LavSound(std::shared_ptr<LavInput> input, std::unique_ptr<LavDecoder> decoder,
                   int sampleRate, double start)
    : input_(std::move(input)),
      decoder_(std::move(decoder)),
      sampleRate_(sampleRate),
      start_(start),
      frame_(av_frame_alloc()) {}

std::string LavSound::Name() const {
    return "the sound of " + input_->Name();
}

bool LavSound::Start(std::string* error) {
    const AVCodecContext* codec = decoder_->Context();
    const std::string what = "the sound of " + input_->Name() + " (stream " +
                             std::to_string(decoder_->Index()) + ", " + decoder_->CodecName() + ")";
    AVChannelLayout in = {};
    if (codec->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_copy(&in, &codec->ch_layout);
    } else {
        av_channel_layout_default(&in, codec->ch_layout.nb_channels);
    }
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* resampler = nullptr;
    int result = codec->sample_rate > 0 && in.nb_channels > 0 ? 0 : AVERROR(EINVAL);
    if (result >= 0) {
        result = swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, sampleRate_, &in,
                                     codec->sample_fmt, codec->sample_rate, 0, nullptr);
    }
    av_channel_layout_uninit(&in);
    resampler_.reset(resampler);
    if (result >= 0) {
        // Timed to the pictures: silence before a late start, an early start cut, gaps
        // filled (async), with time 0 at the first picture.
        av_opt_set_double(resampler, "async", 1, 0);
        av_opt_set_int(resampler, "first_pts", 0, 0);
        // Mono is played on both channels at its own level, as a mono WAV file is (FFmpeg
        // would lower it by 3 dB).
        static const double kMonoToBoth[2] = {1.0, 1.0};
        if (codec->ch_layout.nb_channels == 1) result = swr_set_matrix(resampler, kMonoToBoth, 1);
        if (result >= 0) result = swr_init(resampler);
    }
    if (result < 0 || !frame_) {
        *error = "cannot resample " + what + " to " + std::to_string(sampleRate_) + " Hz stereo" +
                 (codec->sample_rate > 0 ? " from " + std::to_string(codec->sample_rate) + " Hz"
                                         : std::string()) +
                 " (" + LavError(result < 0 ? result : AVERROR(ENOMEM)) +
                 "); give --no-audio, or --audio FILE";
        return false;
    }
    return true;
}

bool LavSound::Decode() {
    if (ended_) return false;
    const LavDecoder::Got got = decoder_->Next(frame_.get());
    if (got == LavDecoder::Got::kStarved) return false;
    const AVCodecContext* codec = decoder_->Context();
    const int inRate = codec->sample_rate;
    const uint8_t** samples = nullptr;
    int count = 0;
    if (got == LavDecoder::Got::kFrame) {
        if (frame_->sample_rate != inRate || frame_->format != codec->sample_fmt) {
            // The stream changed its sound part way: what follows cannot be resampled alike.
            av_frame_unref(frame_.get());
            ended_ = true;
            return false;
        }
        if (frame_->pts != AV_NOPTS_VALUE) {
            const AVRational base = decoder_->Stream()->time_base;
            const int64_t unit = static_cast<int64_t>(inRate) * sampleRate_;
            const int64_t at = av_rescale(frame_->pts, base.num * unit, base.den) -
                               std::llround(start_ * static_cast<double>(unit));
            swr_next_pts(resampler_.get(), at);
        }
        samples = const_cast<const uint8_t**>(frame_->extended_data);
        count = frame_->nb_samples;
    } else {
        ended_ = true;  // flush what the resampler holds
    }
    const int room = swr_get_out_samples(resampler_.get(), count);
    if (room > 0) {
        const size_t at = queue_.size();
        queue_.resize(at + 2 * static_cast<size_t>(room));
        auto* out = reinterpret_cast<uint8_t*>(queue_.data() + at);
        const int made = swr_convert(resampler_.get(), &out, room, samples, count);
        queue_.resize(at + 2 * static_cast<size_t>(std::max(made, 0)));
    }
    av_frame_unref(frame_.get());
    // Silence given while the input held the sound back takes the place of what comes now.
    const size_t drop = static_cast<size_t>(std::min<long long>(owed_, Queued()));
    taken_ += drop;
    owed_ -= static_cast<long long>(drop);
    return true;
}

int LavSound::Read(int16_t* stereo, int count) {
    bool starved = false;
    while (Queued() < static_cast<size_t>(count)) {
        if (!Decode()) {
            starved = !ended_;
            break;
        }
    }
    int given = static_cast<int>(std::min(Queued(), static_cast<size_t>(count)));
    if (given > 0) std::memcpy(stereo, queue_.data() + 2 * taken_, sizeof(int16_t) * 2 * given);
    taken_ += given;
    if (starved) {
        // The file puts this sound far behind its pictures: silence now, and as much of
        // the sound skipped once it comes, so that it stays in step.
        std::memset(stereo + 2 * given, 0, sizeof(int16_t) * 2 * (count - given));
        owed_ += count - given;
        given = count;
    }
    if (taken_ > 1 << 16 && taken_ * 2 > queue_.size() / 2) {
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<ptrdiff_t>(2 * taken_));
        taken_ = 0;
    }
    return given;
}

bool LavSound::HasMore() {
    while (Queued() == 0) {
        if (!Decode()) return false;
    }
    return true;
}

}  // namespace dvenc
