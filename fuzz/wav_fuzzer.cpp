// Fuzzes dvenc's WAV reader and the per-frame sound taken from it. The first byte picks the
// DV system and how many samples to ask for at a time; the rest is the file. A file the
// reader accepts has a format DV carries, reads never give more than asked, a known data
// length is never overrun, and every frame of sound has the system's sample count.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "dv_frames/audio_track.h"
#include "sources/dv_audio.h"
#include "sources/wav_reader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::string MemoryFile(const uint8_t* data, size_t size, int* fd) {
    *fd = memfd_create("wav", MFD_CLOEXEC);
    Check(*fd >= 0);
    for (size_t done = 0; done < size;) {
        const ssize_t wrote = write(*fd, data + done, size - done);
        Check(wrote > 0);
        done += size_t(wrote);
    }
    Check(lseek(*fd, 0, SEEK_SET) == 0);
    return "/proc/self/fd/" + std::to_string(*fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool is625 = data[0] & 1;
    const int piece = 1 + (data[0] >> 1) * 31;  // 1 to 3938 sample pairs
    int fd = -1;
    const std::string path = MemoryFile(data + 1, size - 1, &fd);

    std::string error;
    std::unique_ptr<dvenc::WavReader> wav = dvenc::WavReader::Open(path, &error);
    if (!wav) {
        Check(!error.empty() && error.find('\n') == std::string::npos);
    } else {
        const dvenc::WavFormat format = wav->Format();
        Check(format.bitsPerSample == 16 && format.formatTag == 1);
        Check(format.channels == 1 || format.channels == 2 || format.channels == 4);
        Check(dvenc::IsDvSampleRate(format.sampleRate));
        const long long declared = wav->Remaining();
        const int channels = wav->Channels();
        Check(channels == 2 || channels == 4);
        std::vector<int16_t> samples(size_t(channels) * size_t(piece));
        long long total = 0;
        for (int i = 0; i < 3; ++i) {
            const int got = wav->Read(samples.data(), piece);
            Check(got >= 0 && got <= piece);
            total += got;
            wav->HasMore();
        }
        Check(declared < 0 || total <= declared);
    }
    close(fd);

    // The same file as a track of five frames.
    const std::string again = MemoryFile(data + 1, size - 1, &fd);
    const int frameBytes = is625 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
    dvenc::AudioTrack track(dvenc::WavReader::Open(again, &error), frameBytes);
    for (int f = 0; f < 5; ++f) {
        int samples = 0;
        if (!track.Next(&samples, &error)) break;
        Check(samples == DVEncAudioSamples(frameBytes, track.SampleRate(), f));
        Check(samples > 0 && samples <= DVENC_MAX_AUDIO_SAMPLES);
    }
    track.EndNote();
    close(fd);
    return 0;
}
