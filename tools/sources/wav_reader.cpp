#include "sources/wav_reader.h"

#include <cstring>

#include "sources/dv_audio.h"

namespace dvenc {

namespace {

constexpr char kConvert[] = "-ac 2 -ar 48000 -c:a pcm_s16le";

uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

int Le16(const uint8_t* p) {
    return p[0] | p[1] << 8;
}

std::string Describe(const WavFormat& f) {
    std::string text = f.formatTag == 1 ? std::to_string(f.bitsPerSample) + "-bit PCM"
                       : f.formatTag == 3
                           ? std::to_string(f.bitsPerSample) + "-bit float"
                           : "compressed (format " + std::to_string(f.formatTag) + ")";
    text += ", " + std::to_string(f.sampleRate) + " Hz, " + std::to_string(f.channels) +
            (f.channels == 1 ? " channel" : " channels");
    return text;
}

}  // namespace

std::unique_ptr<WavReader> WavReader::Open(const std::string& path, std::string* error) {
    std::unique_ptr<WavReader> reader(new WavReader);
    if (!reader->input_.Open(path, error)) return nullptr;
    if (!reader->ReadHeader(error)) {
        *error = reader->input_.Failed() ? reader->input_.ErrorText()
                                         : reader->input_.Name() + ": " + *error;
        return nullptr;
    }
    return reader;
}

bool WavReader::ReadHeader(std::string* error) {
    const std::string notWav =
        std::string("not a WAV file (make one with ffmpeg -i SOURCE ") + kConvert + " sound.wav)";
    uint8_t riff[12];
    if (input_.Read(riff, sizeof riff) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        *error = notWav;
        return false;
    }
    bool haveFormat = false;
    for (;;) {
        uint8_t chunk[8];
        if (input_.Read(chunk, sizeof chunk) != sizeof chunk) {
            *error = haveFormat ? "WAV file without sound data" : notWav;
            return false;
        }
        const uint32_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                *error = notWav;
                return false;
            }
            const long long frameBytes = 2LL * format_.channels;
            if (size != 0 && size != 0xFFFFFFFFu) remaining_ = size / frameBytes;
            return true;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            uint8_t fmt[40] = {};
            if (size < 16 || size > sizeof fmt || input_.Read(fmt, size) != size) {
                *error = "malformed WAV format chunk";
                return false;
            }
            format_.formatTag = Le16(fmt);
            format_.channels = Le16(fmt + 2);
            format_.sampleRate = static_cast<int>(Le32(fmt + 4));
            format_.bitsPerSample = Le16(fmt + 14);
            // WAVE_FORMAT_EXTENSIBLE: the real format is the first two bytes of its GUID.
            if (format_.formatTag == 0xFFFE && size >= 26) format_.formatTag = Le16(fmt + 24);
            const bool fourChannels = format_.channels == 4 && format_.sampleRate == 32000;
            if (format_.formatTag != 1 || format_.bitsPerSample != 16 ||
                (format_.channels != 1 && format_.channels != 2 && !fourChannels) ||
                !IsDvSampleRate(format_.sampleRate)) {
                *error = "sound is " + Describe(format_) +
                         "; DV takes 16-bit PCM at 48000, 44100 or 32000 Hz, mono or stereo, or "
                         "four channels at 32000 Hz (convert with ffmpeg -i SOURCE " +
                         kConvert + " sound.wav)";
                return false;
            }
            haveFormat = true;
            if (size % 2) input_.Read(fmt, 1);
            continue;
        }
        // Any other chunk (LIST, fact, ...) is skipped, with its pad byte.
        uint8_t skip[4096];
        for (uint64_t left = size + (size % 2); left > 0;) {
            const size_t part = left < sizeof skip ? static_cast<size_t>(left) : sizeof skip;
            if (input_.Read(skip, part) != part) {
                *error = haveFormat ? "WAV file without sound data" : notWav;
                return false;
            }
            left -= part;
        }
    }
}

bool WavReader::HasMore() {
    if (havePending_) return true;
    if (ended_ || remaining_ == 0) return false;
    const size_t bytes = 2 * static_cast<size_t>(format_.channels);
    havePending_ = input_.Read(pending_, bytes) == bytes;
    if (!havePending_) ended_ = true;
    return havePending_;
}

int WavReader::Read(int16_t* samples, int count) {
    const size_t frameBytes = 2 * static_cast<size_t>(format_.channels);
    const int width = Channels();
    if (remaining_ >= 0 && count > remaining_) count = static_cast<int>(remaining_);
    // Read into the end of the buffer, then spread from the front: mono doubles in place.
    uint8_t* raw = reinterpret_cast<uint8_t*>(samples) + 2 * static_cast<size_t>(width) * count -
                   frameBytes * count;
    size_t have = 0;
    if (havePending_ && count > 0) {
        std::memcpy(raw, pending_, frameBytes);
        have = frameBytes;
        havePending_ = false;
    }
    if (!ended_ && have < frameBytes * count) {
        const size_t want = frameBytes * count - have;
        const size_t got = input_.Read(raw + have, want);
        if (got < want) ended_ = true;
        have += got;
    }
    const int frames = static_cast<int>(have / frameBytes);
    if (remaining_ >= 0) remaining_ -= frames;
    for (int i = 0; i < frames; ++i) {
        const uint8_t* p = raw + frameBytes * i;
        for (int c = 0; c < width; ++c) {
            const int channel = format_.channels == 1 ? 0 : c;
            samples[width * i + c] = static_cast<int16_t>(Le16(p + 2 * channel));
        }
    }
    return frames;
}

}  // namespace dvenc
