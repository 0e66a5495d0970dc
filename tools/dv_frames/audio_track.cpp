#include "dv_frames/audio_track.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace dvenc {

namespace {

std::string Seconds(long long samples, int rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(samples) / rate);
    return text;
}

}  // namespace

AudioTrack::AudioTrack(std::unique_ptr<SoundSource> sound, int frameBytes, int slackFrames)
    : sound_(std::move(sound)), frameBytes_(frameBytes) {
    if (sound_) {
        sampleRate_ = sound_->SampleRate();
        channels_ = sound_->Channels();
    }
    slack_ = static_cast<long long>(slackFrames) * DVEncAudioSamples(frameBytes, sampleRate_, 0);
}

bool AudioTrack::Next(int* samples, std::string* error) {
    const int count = DVEncAudioSamples(frameBytes_, sampleRate_, static_cast<int>(frame_++));
    int got = 0;
    if (sound_) {
        got = sound_->Read(samples_, count);
        if (got < count && sound_->Failed()) {
            *error = sound_->ErrorText();
            return false;
        }
    }
    if (got < count) {
        std::memset(samples_ + channels_ * got, 0, sizeof(int16_t) * channels_ * (count - got));
        if (sound_) padded_ += count - got;
    }
    *samples = count;
    return true;
}

std::string AudioTrack::EndNote() {
    if (!sound_) return std::string();
    if (padded_ > slack_) {
        return sound_->Name() + " ends " + Seconds(padded_, sampleRate_) +
               " before the video; silence fills the rest";
    }
    if (padded_ == 0 && sound_->HasMore()) {
        const long long left = sound_->Remaining();
        if (slack_ > 0 && left < 0) {
            // How much more there is, looked at no further than the slack.
            std::vector<int16_t> scratch(4 * DVENC_MAX_AUDIO_SAMPLES);
            long long more = 0;
            while (more <= slack_ && sound_->HasMore()) {
                more += sound_->Read(scratch.data(), DVENC_MAX_AUDIO_SAMPLES);
            }
            if (more <= slack_) return std::string();
        } else if (left >= 0 && left <= slack_) {
            return std::string();
        }
        return sound_->Name() + " goes on " +
               (left > 0 ? Seconds(left, sampleRate_) + " " : std::string()) +
               "after the video; it is cut at the last frame";
    }
    return std::string();
}

}  // namespace dvenc
