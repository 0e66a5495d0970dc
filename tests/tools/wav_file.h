// WAV files for the tests, written here byte by byte.
#ifndef ENC_DV_TESTS_TOOLS_WAV_FILE_H
#define ENC_DV_TESTS_TOOLS_WAV_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace dvenc_test {

struct WavShape {
    int formatTag = 1;
    int channels = 2;
    int sampleRate = 48000;
    int bitsPerSample = 16;
    bool extensible = false;    // WAVE_FORMAT_EXTENSIBLE format chunk
    bool listChunk = false;     // a LIST chunk (odd length, padded) before the format
    bool unknownSize = false;   // data chunk length 0xFFFFFFFF, as written to a pipe
    bool trailingList = false;  // a LIST chunk after the data chunk, as editors write
};

// A WAV file holding samples (interleaved when stereo) as little-endian 16-bit values.
std::string WavFile(const WavShape& shape, const std::vector<int16_t>& samples);

// Little-endian 16-bit samples, as ffmpeg writes them with -f s16le.
std::vector<int16_t> Pcm16(const std::vector<uint8_t>& bytes);

// Deterministic sound: interleaved stereo, left and right different.
std::vector<int16_t> TestSound(int pairs, uint32_t seed);

}  // namespace dvenc_test

#endif
