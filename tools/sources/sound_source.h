// A source of sound for the DV frames: 16-bit stereo at one of DV's sample rates, or four
// channels at 32 kHz, read as the frames need it (a WAV file, or a file's sound through
// FFmpeg's libraries).
#ifndef DVENC_SOUND_SOURCE_H
#define DVENC_SOUND_SOURCE_H

#include <cstdint>
#include <string>

namespace dvenc {

class SoundSource {
  public:
    virtual ~SoundSource() = default;

    // 48000, 44100 or 32000.
    virtual int SampleRate() const = 0;
    // 2, or 4 for DV's four-channel mode (at 32000 Hz only).
    virtual int Channels() const { return 2; }
    // Reads up to count sample frames of Channels() interleaved channels into samples;
    // returns the number read, fewer only at the end of the sound or on an error (see
    // Failed).
    virtual int Read(int16_t* samples, int count) = 0;
    // True when the sound ended on a read error rather than at its end.
    virtual bool Failed() const = 0;
    virtual const std::string& ErrorText() const = 0;
    // True when at least one more sample frame can be read.
    virtual bool HasMore() = 0;
    // Sample frames not read yet, when known; else -1.
    virtual long long Remaining() const { return -1; }
    // How the notes name the sound: "the sound of 'music.wav'".
    virtual std::string Name() const = 0;
};

}  // namespace dvenc

#endif
