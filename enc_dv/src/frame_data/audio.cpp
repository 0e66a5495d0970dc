#include "frame_data/audio.h"

#include <cstring>

#include "common/bit_scan.h"

namespace encdv {

namespace {

// An audio block's samples, after its ID and AAUX pack: 36 16-bit samples or 24 12-bit pairs.
constexpr int kAudioDataOffset = kDifIdBytes + kPackBytes;
constexpr int kAudioDataBytes = 72;

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

AudioSamplePlace PlaceOfAudioSample(bool is625, int n, int placeBytes) {
    // IEC 61834-2 shuffle: samples 3 apart go to consecutive DIF sequences, and each audio
    // block takes every 45th (525/60) or 54th (625/50) sample.
    const int sequences = is625 ? 6 : 5;
    const int stride = sequences * 9;  // 45 or 54: the places of a sequence's nine blocks
    AudioSamplePlace place;
    place.sequence = (n / 3 + 2 * (n % 3)) % sequences;
    place.block = 3 * (n % 3) + (n % stride) / (stride / 3);
    place.byte = kAudioDataOffset + placeBytes * (n / stride);
    return place;
}

uint16_t TwelveBitSample(int16_t sample) {
    // Magnitudes of non-negative values; a negative x is coded as the complement of ~x's code.
    const bool negative = sample < 0;
    const int x = negative ? ~sample : sample;  // 0 to 32767
    int code = x;
    if (x >= 512) {
        // x in [256 << segment, 512 << segment): its top bit is bit 8 + segment.
        const int segment = static_cast<int>(HighestBit(static_cast<uint64_t>(x))) - 8;
        code = (x >> segment) + 256 * segment;
    }
    if (!negative) return static_cast<uint16_t>(code);
    if (code > 2046) code = 2046;  // ~2047 would be 800h, the lost-sample mark
    return static_cast<uint16_t>(~code & 0xFFF);
}

void AudioSourcePack(int sampleRate, bool is625, int samples, bool secondHalf, bool fourChannels,
                     uint8_t pack[kPackBytes]) {
    // Locked audio (LF 0) only where the standard defines it at this rate.
    const bool locked = sampleRate == 48000;
    pack[0] = 0x50;
    pack[1] = static_cast<uint8_t>((locked ? 0x00 : 0x80) | 0x40 |
                                   (samples - MinimumSamples(sampleRate, is625)));
    // SM 0. 16-bit: CHN 00 (one channel per half), PA 0, audio mode: first or second channel
    // of the stereo pair. 12-bit: CHN 01 (two channels per half), PA 1 (each half a pair),
    // audio mode 0000 (a stereo pair) in both halves.
    pack[2] = fourChannels ? 0x30 : secondHalf ? 0x01 : 0x00;
    // Reserved and ML bits 1, 50/60 flag, STYPE 00000 (25 Mbit/s, two channel halves).
    pack[3] = static_cast<uint8_t>(0xC0 | (is625 ? 0x20 : 0x00));
    // Emphasis off, time constant 1, frequency, 16-bit linear or 12-bit non-linear.
    pack[4] = static_cast<uint8_t>(0xC0 | FrequencyCode(sampleRate) << 3 | (fourChannels ? 1 : 0));
}

namespace {

// One half's samples: 16-bit, the channel source of each sample frame.
void WriteHalf16(uint8_t* frame, const FrameShape& shape, int firstSequence, const int16_t* samples,
                 int channels, int source, int count) {
    for (int n = 0; n < count; ++n) {
        const AudioSamplePlace place = PlaceOfAudioSample(shape.is625, n, 2);
        // 8000h marks a lost sample (decoders conceal it): the loudest negative sample
        // goes out one step quieter.
        const int16_t sample = samples[channels * n + source];
        const uint16_t value = static_cast<uint16_t>(sample == -32768 ? -32767 : sample);
        uint8_t* out =
            frame + shape.Audio(firstSequence + place.sequence, place.block) + place.byte;
        out[0] = static_cast<uint8_t>(value >> 8);
        out[1] = static_cast<uint8_t>(value);
    }
}

// One half's samples in the four-channel mode: channels source and source + 1 of each
// sample frame as a 12-bit pair, the first channel's high 8 bits, the second's, then both
// low nibbles.
void WriteHalf12(uint8_t* frame, const FrameShape& shape, int firstSequence, const int16_t* samples,
                 int source, int count) {
    for (int n = 0; n < count; ++n) {
        const AudioSamplePlace place = PlaceOfAudioSample(shape.is625, n, 3);
        const unsigned a = TwelveBitSample(samples[4 * n + source]);
        const unsigned b = TwelveBitSample(samples[4 * n + source + 1]);
        uint8_t* out =
            frame + shape.Audio(firstSequence + place.sequence, place.block) + place.byte;
        out[0] = static_cast<uint8_t>(a >> 4);
        out[1] = static_cast<uint8_t>(b >> 4);
        out[2] = static_cast<uint8_t>((a & 15) << 4 | (b & 15));
    }
}

}  // namespace

void WriteAudio(uint8_t* frame, const FrameShape& shape, int sampleRate, const int16_t* samples,
                int channels, int count) {
    const int half = shape.Sequences() / 2;
    const bool fourChannels = channels == 4;
    for (int h = 0; h < 2; ++h) {
        uint8_t sourcePack[kPackBytes];
        AudioSourcePack(sampleRate, shape.is625, count, h == 1, fourChannels, sourcePack);
        for (int s = h * half; s < (h + 1) * half; ++s) {
            for (int b = 0; b < kAudioBlocksPerSequence; ++b) {
                std::memset(frame + shape.Audio(s, b) + kAudioDataOffset, 0, kAudioDataBytes);
            }
            const int packBlock = AauxSourcePackBlock(s % 2 == 1);
            std::memcpy(frame + shape.Audio(s, packBlock) + kDifIdBytes, sourcePack, kPackBytes);
            std::memcpy(frame + shape.Audio(s, packBlock + 1) + kDifIdBytes, kAauxSourceControlPack,
                        kPackBytes);
        }
        if (!samples) continue;
        if (fourChannels) {
            WriteHalf12(frame, shape, h * half, samples, 2 * h, count);
        } else {
            WriteHalf16(frame, shape, h * half, samples, channels, channels == 2 ? h : 0, count);
        }
    }
}

}  // namespace encdv
