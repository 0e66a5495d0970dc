// Sound in a DV frame (IEC 61834-2 and -4): 16-bit samples of two channels, the first
// channel in the first half of the DIF sequences and the second in the other half, or, in
// the 32 kHz four-channel mode, 12-bit non-linear samples of a channel pair in each half;
// each spread over its audio blocks by the standard's shuffle; and the AAUX source and
// source control packs that describe them.
#ifndef ENC_DV_FRAME_DATA_AUDIO_H
#define ENC_DV_FRAME_DATA_AUDIO_H

#include <cstdint>

#include "common/dif_layout.h"
#include "frame_data/frame_shape.h"

namespace encdv {

// True for the sample rates a DV frame carries 16-bit sound at: 48000, 44100, 32000 Hz.
bool IsAudioRate(int sampleRate);

// Samples of one channel in frame number index (from 0). 625/50: rate / 25. 525/60 at
// 48 kHz: the locked five-frame pattern 1600, 1602, 1602, 1602, 1602 (8008 samples in five
// frames); at 44.1 and 32 kHz the whole samples due by the end of the frame at 30000/1001
// frames a second, less those already given.
int AudioSamplesInFrame(int sampleRate, bool is625, long long index);

// Where sample n of a channel half goes: the DIF sequence within the half, the audio block
// and the byte offset of its first (most significant) byte within the block. A 16-bit
// sample takes 2 bytes (n 0 to 1619 at 525/60, 0 to 1943 at 625/50), a 12-bit pair of
// samples 3 (n 0 to 1079, 0 to 1295).
struct AudioSamplePlace {
    int sequence;
    int block;
    int byte;
};
AudioSamplePlace PlaceOfAudioSample(bool is625, int n, int placeBytes);

// The 12-bit non-linear code of a 16-bit sample: linear to +-511, then six segments of 256
// codes, each step twice the last (2 to 64); a value is coded by the level at or below it
// (towards zero for negative values, which mirror the positive ones: code ~c for sample
// ~x). 800h marks a lost sample and is never the result: the loudest negative values take
// 801h.
uint16_t TwelveBitSample(int16_t sample);

// The AAUX source pack of a channel half of a frame holding samples samples per channel:
// 16-bit, one channel of a stereo pair in each half; or 12-bit (fourChannels), a pair of
// channels in each.
void AudioSourcePack(int sampleRate, bool is625, int samples, bool secondHalf, bool fourChannels,
                     uint8_t pack[kPackBytes]);

// Writes samples sample frames of 16-bit sound (channels 1, 2 or, at 32 kHz, 4, interleaved;
// one channel goes to both halves; four go as channels 1-2 in the first half and 3-4 in the
// second, 12-bit; null: silence) into the audio blocks, with the AAUX source and source
// control packs of every DIF sequence. Unused sample places become 0, and -32768, which DV
// reserves to mark a lost 16-bit sample, is written as -32767. The other packs of the audio
// blocks are left as they are.
void WriteAudio(uint8_t* frame, const FrameShape& shape, int sampleRate, const int16_t* samples,
                int channels, int count);

}  // namespace encdv

#endif
