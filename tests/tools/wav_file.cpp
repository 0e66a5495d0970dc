#include "wav_file.h"

namespace dvenc_test {

namespace {

void Put16(std::string* out, unsigned value) {
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>(value >> 8 & 0xFF));
}

void Put32(std::string* out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

std::string WavFile(const WavShape& shape, const std::vector<int16_t>& samples) {
    std::string body = "WAVE";
    if (shape.listChunk) body += std::string("LIST\x05\0\0\0INFOx\0", 14);
    const int blockAlign = shape.channels * shape.bitsPerSample / 8;
    body += "fmt ";
    Put32(&body, shape.extensible ? 40 : 16);
    Put16(&body, shape.extensible ? 0xFFFE : shape.formatTag);
    Put16(&body, shape.channels);
    Put32(&body, shape.sampleRate);
    Put32(&body, shape.sampleRate * blockAlign);
    Put16(&body, blockAlign);
    Put16(&body, shape.bitsPerSample);
    if (shape.extensible) {
        Put16(&body, 22);
        Put16(&body, shape.bitsPerSample);
        Put32(&body, shape.channels == 2 ? 3 : 4);
        Put16(&body, shape.formatTag);  // GUID 0000xxxx-0000-0010-8000-00aa00389b71
        body += std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
    }
    body += "data";
    Put32(&body, shape.unknownSize ? 0xFFFFFFFFu : static_cast<uint32_t>(2 * samples.size()));
    for (const int16_t s : samples) Put16(&body, static_cast<uint16_t>(s));
    if (shape.trailingList) {
        body += std::string("LIST\x1A\0\0\0INFOISFT\x0E\0\0\0Lavf60.16.100\0", 34);
    }
    std::string file = "RIFF";
    Put32(&file, shape.unknownSize ? 0xFFFFFFFFu : static_cast<uint32_t>(body.size()));
    return file + body;
}

std::vector<int16_t> TestSound(int pairs, uint32_t seed) {
    std::vector<int16_t> out(2 * static_cast<size_t>(pairs));
    uint32_t x = seed ? seed : 1;
    for (size_t i = 0; i < out.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<int16_t>(x >> 16);
    }
    return out;
}

std::vector<int16_t> Pcm16(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
}

}  // namespace dvenc_test
