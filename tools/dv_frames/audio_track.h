// The sound of each DV frame: the samples a frame holds at its position in the stream,
// taken from a sound source (silence where it ends early) or silence throughout; stereo, or
// four channels where the source has them.
#ifndef DVENC_AUDIO_TRACK_H
#define DVENC_AUDIO_TRACK_H

#include <cstdint>
#include <memory>
#include <string>

#include "enc_dv.h"
#include "sources/sound_source.h"

namespace dvenc {

class AudioTrack {
  public:
    // sound null: a silent 48 kHz track. frameBytes: the size of the stream's DV frames.
    // The closing note leaves out a difference in length of up to slackFrames frames (a
    // file's sound and pictures rarely end on the same sample).
    AudioTrack(std::unique_ptr<SoundSource> sound, int frameBytes, int slackFrames = 0);

    int SampleRate() const { return sampleRate_; }
    // 2, or 4 in DV's four-channel mode.
    int Channels() const { return channels_; }

    // Fills the samples of the next frame and returns how many pairs it holds (as the
    // library counts them); false on a read error of the sound (*error says which).
    bool Next(int* samples, std::string* error);
    const int16_t* Samples() const { return samples_; }

    // After the last frame: a note when the sound was shorter (padded with silence) or
    // longer (cut at the last frame) than the video; empty when it fitted or was silent.
    std::string EndNote();

  private:
    std::unique_ptr<SoundSource> sound_;
    int frameBytes_;
    long long slack_;  // sample pairs
    int sampleRate_ = 48000;
    int channels_ = 2;
    long long frame_ = 0;
    long long padded_ = 0;  // sample pairs of silence added after the sound ended
    int16_t samples_[4 * DVENC_MAX_AUDIO_SAMPLES] = {};
};

}  // namespace dvenc

#endif
