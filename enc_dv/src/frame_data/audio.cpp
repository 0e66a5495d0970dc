#include "frame_data/audio.h"

#include <cstring>

namespace encdv {

namespace {

constexpr int kSamplesPerBlock = 36;
constexpr int kAudioDataOffset = kDifIdBytes + kPackBytes;  // after the ID and the AAUX pack

// The smallest sample count per frame of each rate (IEC 61834-4): the AAUX source pack
// gives a frame's count as the difference from it.
int MinimumSamples(int sampleRate, bool is625) {
    switch (sampleRate) {
        case 48000:
            return is625 ? 1896 : 1580;
        case 44100:
            return is625 ? 1742 : 1452;
        default:  // 32000
            return is625 ? 1264 : 1053;
    }
}

// Sampling frequency code of the AAUX source pack: 48, 44.1, 32 kHz.
uint8_t FrequencyCode(int sampleRate) {
    return sampleRate == 48000 ? 0 : sampleRate == 44100 ? 1 : 2;
}

}  // namespace

bool IsAudioRate(int sampleRate) {
    return sampleRate == 48000 || sampleRate == 44100 || sampleRate == 32000;
}

int AudioSamplesInFrame(int sampleRate, bool is625, long long index) {
    if (is625) return sampleRate / 25;
    if (sampleRate == 48000) return index % 5 == 0 ? 1600 : 1602;
    // Samples due by the end of frame f: floor((f + 1) x rate x 1001 / 30000), less those
    // due before it; the pattern repeats every 30000 frames.
    const long long perFrameNumerator = static_cast<long long>(sampleRate) * 1001;
    const long long period = 30000;
    const long long f = index % period;
    return static_cast<int>((f + 1) * perFrameNumerator / period - f * perFrameNumerator / period);
}

AudioSamplePlace PlaceOfAudioSample(bool is625, int n) {
    // IEC 61834-2 shuffle of 16-bit audio: samples 3 apart go to consecutive DIF
    // sequences, and each audio block takes every 45th (525/60) or 54th (625/50) sample.
    const int sequences = is625 ? 6 : 5;
    const int stride = sequences * kSamplesPerBlock / 4;  // 45 or 54
    AudioSamplePlace place;
    place.sequence = (n / 3 + 2 * (n % 3)) % sequences;
    place.block = 3 * (n % 3) + (n % stride) / (stride / 3);
    place.byte = kAudioDataOffset + 2 * (n / stride);
    return place;
}

void AudioSourcePack(int sampleRate, bool is625, int samples, bool secondChannel,
                     uint8_t pack[kPackBytes]) {
    // Locked audio (LF 0) only where the standard defines it at this rate.
    const bool locked = sampleRate == 48000;
    pack[0] = 0x50;
    pack[1] = static_cast<uint8_t>((locked ? 0x00 : 0x80) | 0x40 |
                                   (samples - MinimumSamples(sampleRate, is625)));
    // SM 0, CHN 00 (one channel per channel half), PA 0, audio mode: first or second
    // channel of the stereo pair.
    pack[2] = secondChannel ? 0x01 : 0x00;
    // Reserved and ML bits 1, 50/60 flag, STYPE 00000 (25 Mbit/s, two channel halves).
    pack[3] = static_cast<uint8_t>(0xC0 | (is625 ? 0x20 : 0x00));
    // Emphasis off, time constant 1, frequency, 16-bit linear.
    pack[4] = static_cast<uint8_t>(0xC0 | FrequencyCode(sampleRate) << 3);
}

void WriteAudio(uint8_t* frame, const FrameShape& shape, int sampleRate, const int16_t* samples,
                int channels, int count) {
    const int half = shape.Sequences() / 2;
    for (int channel = 0; channel < 2; ++channel) {
        uint8_t sourcePack[kPackBytes];
        AudioSourcePack(sampleRate, shape.is625, count, channel == 1, sourcePack);
        for (int s = channel * half; s < (channel + 1) * half; ++s) {
            for (int b = 0; b < kAudioBlocksPerSequence; ++b) {
                std::memset(frame + shape.Audio(s, b) + kAudioDataOffset, 0, kSamplesPerBlock * 2);
            }
            const int packBlock = AauxSourcePackBlock(s % 2 == 1);
            std::memcpy(frame + shape.Audio(s, packBlock) + kDifIdBytes, sourcePack, kPackBytes);
            std::memcpy(frame + shape.Audio(s, packBlock + 1) + kDifIdBytes, kAauxSourceControlPack,
                        kPackBytes);
        }
        if (!samples) continue;
        const int source = channels == 2 ? channel : 0;
        for (int n = 0; n < count; ++n) {
            const AudioSamplePlace place = PlaceOfAudioSample(shape.is625, n);
            // 8000h marks a lost sample (decoders conceal it): the loudest negative sample
            // goes out one step quieter.
            const int16_t sample = samples[channels * n + source];
            const uint16_t value = static_cast<uint16_t>(sample == -32768 ? -32767 : sample);
            uint8_t* out =
                frame + shape.Audio(channel * half + place.sequence, place.block) + place.byte;
            out[0] = static_cast<uint8_t>(value >> 8);
            out[1] = static_cast<uint8_t>(value);
        }
    }
}

}  // namespace encdv
