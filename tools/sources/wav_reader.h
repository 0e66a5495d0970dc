// Reader of WAV files with 16-bit PCM sound: the RIFF header and format chunk, then the
// samples of the data chunk, read as they are needed. A data chunk of unknown length (0 or
// 0xFFFFFFFF, as a program writing to a pipe leaves it) runs to the end of the stream.
#ifndef DVENC_WAV_READER_H
#define DVENC_WAV_READER_H

#include <cstdint>
#include <memory>
#include <string>

#include "sources/input_file.h"
#include "sources/sound_source.h"

namespace dvenc {

struct WavFormat {
    int formatTag = 0;  // 1 PCM (also from an extensible format chunk), 3 float, ...
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
};

class WavReader : public SoundSource {
  public:
    // Opens path and reads up to the start of the samples; the format must be 16-bit PCM,
    // mono or stereo at 48000, 44100 or 32000 Hz, or four channels at 32000 Hz. Null with a
    // one-line reason otherwise.
    static std::unique_ptr<WavReader> Open(const std::string& path, std::string* error);

    const WavFormat& Format() const { return format_; }

    int SampleRate() const override { return format_.sampleRate; }
    int Channels() const override { return format_.channels == 4 ? 4 : 2; }
    // Mono is doubled to both channels.
    int Read(int16_t* samples, int count) override;
    bool Failed() const override { return input_.Failed(); }
    const std::string& ErrorText() const override { return input_.ErrorText(); }
    bool HasMore() override;
    // Known when the data chunk gives its length.
    long long Remaining() const override { return remaining_; }
    std::string Name() const override { return "the sound of " + input_.Name(); }

  private:
    WavReader() = default;
    bool ReadHeader(std::string* error);

    InputFile input_;
    WavFormat format_;
    long long remaining_ = -1;
    bool ended_ = false;
    uint8_t pending_[8] = {};  // one sample frame (at most four channels) read ahead by HasMore
    bool havePending_ = false;
};

}  // namespace dvenc

#endif
