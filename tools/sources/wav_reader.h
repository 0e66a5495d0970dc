// Reader of WAV files with 16-bit PCM sound: the RIFF header and format chunk, then the
// samples of the data chunk, read as they are needed. A data chunk of unknown length (0 or
// 0xFFFFFFFF, as a program writing to a pipe leaves it) runs to the end of the stream.
#ifndef DVENC_WAV_READER_H
#define DVENC_WAV_READER_H

#include <cstdint>
#include <memory>
#include <string>

#include "sources/input_file.h"

namespace dvenc {

struct WavFormat {
    int formatTag = 0;  // 1 PCM (also from an extensible format chunk), 3 float, ...
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
};

class WavReader {
  public:
    // Opens path and reads up to the start of the samples; the format must be 16-bit PCM,
    // mono or stereo, at 48000, 44100 or 32000 Hz. Null with a one-line reason otherwise.
    static std::unique_ptr<WavReader> Open(const std::string& path, std::string* error);

    const WavFormat& Format() const { return format_; }
    const std::string& Name() const { return input_.Name(); }

    // Reads up to count sample frames as interleaved stereo (mono doubled to both
    // channels) into stereo; returns the number read, fewer only at the end of the sound.
    int ReadStereo(int16_t* stereo, int count);
    // True when the sound ended on a read error rather than at its end.
    bool Failed() const { return input_.Failed(); }
    const std::string& ErrorText() const { return input_.ErrorText(); }
    // Sample frames not read yet, when the data chunk's length is known; else -1.
    long long Remaining() const { return remaining_; }
    // True when at least one more sample frame can be read.
    bool HasMore();

  private:
    WavReader() = default;
    bool ReadHeader(std::string* error);

    InputFile input_;
    WavFormat format_;
    long long remaining_ = -1;
    bool ended_ = false;
    uint8_t pending_[4] = {};  // one sample frame read ahead by HasMore
    bool havePending_ = false;
};

}  // namespace dvenc

#endif
