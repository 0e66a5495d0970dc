// Encodes a benchmark clip single-threaded through DVCompressBuffer, a fixed number of times,
// with nothing else in the process's hot path: the program to run under a profiler
// (valgrind --tool=callgrind) when counting the instructions of a frame.
//
//   profile_frames [--content natural|noise|photo-pan|photo-zoom|interlaced]
//                  [--height 576|480] [--frames N] [--passes N] [--best]
//
// --best adds the best-quality mode's flag (0x200000) to the compress calls.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "clip.h"
#include "enc_dv.h"
#include "frame_encoder.h"

namespace {

const char* ArgText(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    }
    return fallback;
}

bool HasArg(int argc, char** argv, const char* name) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace encdv::bench;
    const std::string content = ArgText(argc, argv, "--content", "natural");
    const int height = std::atoi(ArgText(argc, argv, "--height", "576"));
    const int frames = std::atoi(ArgText(argc, argv, "--frames", "8"));
    const int passes = std::atoi(ArgText(argc, argv, "--passes", "1"));
    const unsigned flags =
        DVENC_FLAG_SINGLE_THREAD | (HasArg(argc, argv, "--best") ? kBestQualityFlag : 0);
    const bool photo = content == "photo-pan" || content == "photo-zoom" || content == "interlaced";
    if ((height != 576 && height != 480) || frames < 1 || passes < 1 ||
        (!photo && content != "natural" && content != "noise")) {
        std::fprintf(stderr,
                     "usage: %s [--content natural|noise|photo-pan|photo-zoom|interlaced] "
                     "[--height 576|480] [--frames N] [--passes N] [--best]\n",
                     argv[0]);
        return 2;
    }
    const Sampling sampling = height == 576 ? Sampling::k420 : Sampling::k411;
    PhotoCanvas canvas;
    std::string why;
    if (photo && !LoadPhotoCanvas(kDefaultPhotoDirectory, canvas, why)) {
        std::fprintf(stderr, "%s (the photographs come with python3-skimage)\n", why.c_str());
        return 1;
    }
    const Clip clip = content == "natural"     ? MakeNaturalClip(height, sampling, frames)
                      : content == "noise"     ? MakeNoiseClip(height, sampling, frames)
                      : content == "photo-pan" ? MakePhotoPanClip(canvas, height, sampling, frames)
                      : content == "photo-zoom"
                          ? MakePhotoZoomClip(canvas, height, sampling, frames)
                          : MakeInterlacedClip(canvas, height, sampling, frames);
    DVEncoderHandle* handle = DVNewEnc();
    if (!handle) return 1;
    std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES);
    uint64_t checksum = 0xcbf29ce484222325u;  // FNV-1a over every byte of every frame
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int pass = 0; pass < passes; ++pass) {
        for (const ClipFrame& frame : clip.frames) {
            const int length = DVCompressBuffer(handle, frame.yuy2.data(), 2 * 720, out.data(), 0,
                                                720, height, 0, flags, DVENC_FOURCC_YUY2);
            if (length <= 0) return 1;
            for (int i = 0; i < length; ++i) checksum = (checksum ^ out[i]) * 0x100000001b3u;
        }
    }
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    // Processor time as well: on a shared machine it moves less than the wall clock.
    const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    DVDoneEnc(handle);
    std::printf(
        "%d frames encoded, %.3f ms per frame (%.3f ms of processor time), checksum %016llx\n",
        passes * frames, elapsed.count() / (passes * frames), cpu / (passes * frames),
        static_cast<unsigned long long>(checksum));
    return 0;
}
