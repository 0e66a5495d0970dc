// The sound of a file's audio stream for the DV frames: decoded, resampled to 16-bit
// stereo at the DV rate, and timed from the first picture: sound that starts late is
// preceded by silence, sound that starts early is cut, and a gap of more than a tenth of a
// second is filled, so that the sound stays with its pictures over any length.
#ifndef DVENC_LAV_SOUND_H
#define DVENC_LAV_SOUND_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/lav_decoder.h"
#include "media/lav_input.h"
#include "sources/sound_source.h"

namespace dvenc {

class LavSound : public SoundSource {
  public:
    // start: the time stamp of the first picture, in seconds of the file's clock.
    LavSound(std::shared_ptr<LavInput> input, std::unique_ptr<LavDecoder> decoder, int sampleRate,
             double start);

    // Sets up the resampling; false with a reason (a sound that cannot be resampled).
    bool Start(std::string* error);

    int SampleRate() const override { return sampleRate_; }
    int Read(int16_t* stereo, int count) override;
    bool Failed() const override { return false; }  // read errors end the pictures too
    const std::string& ErrorText() const override { return noError_; }
    bool HasMore() override;
    std::string Name() const override;

  private:
    // Decodes and resamples one more frame into the queue; false at the end of the sound.
    bool Decode();
    size_t Queued() const { return queue_.size() / 2 - taken_; }

    std::shared_ptr<LavInput> input_;
    std::unique_ptr<LavDecoder> decoder_;
    int sampleRate_;
    double start_;
    ResamplerPtr resampler_;
    FramePtr frame_;
    std::vector<int16_t> queue_;  // interleaved stereo, read from sample frame taken_ on
    size_t taken_ = 0;
    long long owed_ = 0;  // sample frames given as silence while the input held them back
    bool ended_ = false;
    std::string noError_;
};

}  // namespace dvenc

#endif
