// Sound in a DV frame (IEC 61834-2 and -4): 16-bit samples of two channels, the first
// channel in the first half of the DIF sequences and the second in the other half, each
// spread over its audio blocks by the standard's shuffle; and the AAUX source and source
// control packs that describe them.
#ifndef DVENC_DV_AUDIO_H
#define DVENC_DV_AUDIO_H

#include <cstdint>

#include "dif_layout.h"

namespace dvenc {

// Most samples of one channel a frame can hold: 9 audio blocks of 36 samples in each of
// the 6 (625/50) or 5 (525/60) DIF sequences of a channel.
constexpr int kMaxAudioSamples = 1944;

// True for the sample rates a DV frame carries 16-bit sound at: 48000, 44100, 32000 Hz.
bool IsDvSampleRate(int sampleRate);

// Samples of one channel in frame number frame (from 0). 625/50: rate / 25. 525/60 at
// 48 kHz: the locked five-frame pattern 1600, 1602, 1602, 1602, 1602 (8008 samples in five
// frames); at 44.1 and 32 kHz the whole samples due by the end of the frame at 30000/1001
// frames a second, less those already given.
int AudioSamplesInFrame(int sampleRate, bool is625, long long frame);

// Where sample n (0 to capacity - 1) of a channel goes: the DIF sequence within the
// channel's half, the audio block and the byte offset of its first (most significant)
// byte within the block.
struct AudioSamplePlace {
    int sequence;
    int block;
    int byte;
};
AudioSamplePlace PlaceOfAudioSample(bool is625, int n);

// The AAUX source pack of a channel half of a frame holding samples samples per channel.
void AudioSourcePack(int sampleRate, bool is625, int samples, bool secondChannel,
                     uint8_t pack[kPackBytes]);

// Writes samples pairs of interleaved 16-bit samples (left, right) into the audio blocks
// of frame, with the AAUX source and source control packs of every DIF sequence; unused
// sample places become 0, and -32768, which DV reserves to mark a lost sample, is written
// as -32767. The other packs of the audio blocks are left as they are.
void WriteAudio(uint8_t* frame, const DifLayout& layout, int sampleRate, const int16_t* stereo,
                int samples);

}  // namespace dvenc

#endif
