#include "dv_frames/audio_track.h"

#include <cstdio>
#include <cstring>

namespace dvenc {

namespace {

std::string Seconds(long long samples, int rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(samples) / rate);
    return text;
}

}  // namespace

AudioTrack::AudioTrack(std::unique_ptr<WavReader> wav, int frameBytes)
    : wav_(std::move(wav)), frameBytes_(frameBytes) {
    if (wav_) sampleRate_ = wav_->Format().sampleRate;
}

bool AudioTrack::Next(int* samples, std::string* error) {
    const int count = DVEncAudioSamples(frameBytes_, sampleRate_, static_cast<int>(frame_++));
    int got = 0;
    if (wav_) {
        got = wav_->ReadStereo(stereo_, count);
        if (got < count && wav_->Failed()) {
            *error = wav_->ErrorText();
            return false;
        }
    }
    if (got < count) {
        std::memset(stereo_ + 2 * got, 0, sizeof(int16_t) * 2 * (count - got));
        if (wav_) padded_ += count - got;
    }
    *samples = count;
    return true;
}

std::string AudioTrack::EndNote() {
    if (!wav_) return std::string();
    if (padded_ > 0) {
        return "the sound of " + wav_->Name() + " ends " + Seconds(padded_, sampleRate_) +
               " before the video; silence fills the rest";
    }
    if (wav_->HasMore()) {
        const long long left = wav_->Remaining();
        return "the sound of " + wav_->Name() + " goes on " +
               (left > 0 ? Seconds(left, sampleRate_) + " " : std::string()) +
               "after the video; it is cut at the last frame";
    }
    return std::string();
}

}  // namespace dvenc
