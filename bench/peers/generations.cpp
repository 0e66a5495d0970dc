// Generation benchmark: how much each DV encoder loses when its frames are decoded and encoded
// again, as DV is in editing. Every clip starts in the DV system's own sampling (planar 4:2:0
// at 625/50, 4:1:1 at 525/60); each generation is decoded by libavcodec's DV decoder and the
// decoded planes are the next generation's source. PSNR of Y, Cb and Cr against the first
// source at every generation, then the targets:
// - at generation 1, Cb and Cr of both enc_dv modes at least libavcodec's (best: above);
// - from generation 1 to the last, no plane of an enc_dv mode loses more than 0.3 dB.
//
//   bench_generations [--generations N] [--frames N] [--system 625|525]
//                     [--clips natural,photo-pan,interlaced,...] [--photos DIR]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "clip.h"
#include "enc_dv.h"
#include "frame_encoder.h"
#include "photo_canvas.h"
#include "quality.h"
#include "support/dv_decoder.h"

namespace encdv {
namespace bench {
namespace {

struct Options {
    int generations = 6;
    int frames = 4;
    std::vector<int> heights = {576, 480};
    std::vector<std::string> clips = {"natural", "photo-pan", "interlaced"};
    std::string photos = kDefaultPhotoDirectory;
};

struct Peer {
    const char* name;
    bool encDv;
    unsigned flags;  // enc_dv's
};
const Peer kPeers[] = {
    {"enc_dv exact", true, 0},
    {"enc_dv best", true, kBestQualityFlag},
    {"libavcodec", false, 0},
};
constexpr int kPeerCount = sizeof kPeers / sizeof kPeers[0];

struct Psnr {
    double y, cb, cr;
};

std::unique_ptr<FrameEncoder> MakeEncoder(const Peer& peer, const Clip& clip) {
    if (peer.encDv) {
        return MakeEncDvEncoder(clip, EncDvEntry::kHandle, EncDvSource::kPlanar, peer.flags);
    }
    std::string reason;
    std::unique_ptr<FrameEncoder> coder =
        MakeLibavcodecEncoder(clip, 1, LibavcodecDct::kDefault, reason);
    if (!coder) std::fprintf(stderr, "libavcodec: %s\n", reason.c_str());
    return coder;
}

// Runs the generations of one encoder on a clip: the PSNR of each against the clip's sources.
bool RunGenerations(const Peer& peer, const Clip& clip, int generations, std::vector<Psnr>& psnr) {
    std::unique_ptr<FrameEncoder> coder = MakeEncoder(peer, clip);
    if (!coder) return false;
    std::vector<ClipFrame> current(clip.frames.size());
    for (size_t f = 0; f < clip.frames.size(); ++f) {
        current[f].y = clip.frames[f].y;
        current[f].cb = clip.frames[f].cb;
        current[f].cr = clip.frames[f].cr;
    }
    std::vector<uint8_t> dv;
    for (int g = 0; g < generations; ++g) {
        QualityMeter meter;
        for (size_t f = 0; f < current.size(); ++f) {
            if (coder->Encode(current[f], dv).Failed()) return false;
            if (!meter.Add(clip, clip.frames[f], dv)) return false;
            test::DecodedFrame decoded;
            if (!test::DecodeDvFrame(dv.data(), dv.size(), decoded)) return false;
            current[f].y = std::move(decoded.y);
            current[f].cb = std::move(decoded.cb);
            current[f].cr = std::move(decoded.cr);
        }
        psnr.push_back({meter.LumaPsnr(), meter.CbPsnr(), meter.CrPsnr()});
    }
    return true;
}

Clip MakeClip(const std::string& name, int height, const PhotoCanvas* canvas, int frames) {
    const Sampling sampling = height == 576 ? Sampling::k420 : Sampling::k411;
    if (name == "natural") return MakeNaturalClip(height, sampling, frames);
    if (name == "noise") return MakeNoiseClip(height, sampling, frames);
    if (canvas == nullptr) return Clip{};
    if (name == "photo-pan") return MakePhotoPanClip(*canvas, height, sampling, frames);
    if (name == "photo-zoom") return MakePhotoZoomClip(*canvas, height, sampling, frames);
    if (name == "interlaced") return MakeInterlacedClip(*canvas, height, sampling, frames);
    return Clip{};
}

double Worst(const Psnr& p) {
    return std::fmin(p.y, std::fmin(p.cb, p.cr));
}

// Prints the table of one clip and its target lines; false when a target is missed.
bool Report(const Clip& clip, const std::vector<Psnr> (&results)[kPeerCount]) {
    std::printf("\n%s %s: PSNR Y / Cb / Cr (dB) against the source, generation by generation\n",
                clip.content, clip.height == 576 ? "625/50 4:2:0" : "525/60 4:1:1");
    std::printf("gen");
    for (const Peer& peer : kPeers) std::printf(" | %-22s", peer.name);
    std::printf("\n");
    const size_t generations = results[0].size();
    for (size_t g = 0; g < generations; ++g) {
        std::printf("%3zu", g + 1);
        for (const auto& r : results) {
            if (g < r.size()) {
                std::printf(" | %6.2f %6.2f %6.2f  ", r[g].y, r[g].cb, r[g].cr);
            } else {
                std::printf(" | %-22s", "-");
            }
        }
        std::printf("\n");
    }
    bool met = true;
    const std::vector<Psnr>& peer = results[kPeerCount - 1];
    for (int e = 0; e < kPeerCount - 1; ++e) {
        const std::vector<Psnr>& r = results[e];
        if (r.empty()) continue;
        const double loss[3] = {r.front().y - r.back().y, r.front().cb - r.back().cb,
                                r.front().cr - r.back().cr};
        const double worstLoss = std::fmax(loss[0], std::fmax(loss[1], loss[2]));
        const bool keeps = worstLoss <= 0.3;
        std::printf(
            "%s: generation 1 Cb %+.2f, Cr %+.2f dB against libavcodec; loses at most "
            "%.2f dB by generation %zu (Y %.2f, Cb %.2f, Cr %.2f)",
            kPeers[e].name, peer.empty() ? 0 : r[0].cb - peer[0].cb,
            peer.empty() ? 0 : r[0].cr - peer[0].cr, worstLoss, r.size(), loss[0], loss[1],
            loss[2]);
        bool colour = true;
        if (!peer.empty()) {
            const bool best = kPeers[e].flags != 0;
            const double margin[2] = {r[0].cb - peer[0].cb, r[0].cr - peer[0].cr};
            colour = best ? margin[0] > 0 && margin[1] > 0 : margin[0] >= 0 && margin[1] >= 0;
        }
        std::printf(" [%s]\n", keeps && colour ? "target met" : "TARGET MISSED");
        met = met && keeps && colour;
    }
    if (!peer.empty()) {
        std::printf("libavcodec: loses %.2f dB (worst plane) by generation %zu\n",
                    Worst(peer.front()) - Worst(peer.back()), peer.size());
    }
    return met;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) return false;
        ++i;
        if (arg == "--generations") {
            options.generations = std::atoi(value);
        } else if (arg == "--frames") {
            options.frames = std::atoi(value);
        } else if (arg == "--system") {
            const std::string system = value;
            if (system != "625" && system != "525") return false;
            options.heights = {system == "625" ? 576 : 480};
        } else if (arg == "--clips") {
            options.clips.clear();
            std::string list = value;
            for (size_t start = 0; start <= list.size();) {
                const size_t comma = list.find(',', start);
                const size_t end = comma == std::string::npos ? list.size() : comma;
                options.clips.push_back(list.substr(start, end - start));
                start = end + 1;
            }
        } else if (arg == "--photos") {
            options.photos = value;
        } else {
            return false;
        }
    }
    return options.generations >= 1 && options.frames >= 1;
}

}  // namespace
}  // namespace bench
}  // namespace encdv

int main(int argc, char** argv) {
    using namespace encdv::bench;
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--generations N] [--frames N] [--system 625|525] "
                     "[--clips natural,noise,photo-pan,photo-zoom,interlaced] [--photos DIR]\n",
                     argv[0]);
        return 2;
    }
    PhotoCanvas canvas;
    std::string why;
    const bool photos = LoadPhotoCanvas(options.photos, canvas, why);
    if (!photos) std::fprintf(stderr, "photograph clips skipped: %s\n", why.c_str());
    bool met = true;
    for (const int height : options.heights) {
        for (const std::string& name : options.clips) {
            const Clip clip = MakeClip(name, height, photos ? &canvas : nullptr, options.frames);
            if (clip.frames.empty()) continue;
            std::vector<Psnr> results[kPeerCount];
            for (int e = 0; e < kPeerCount; ++e) {
                if (!RunGenerations(kPeers[e], clip, options.generations, results[e])) {
                    std::fprintf(stderr, "%s failed on %s\n", kPeers[e].name, clip.content);
                    results[e].clear();
                }
            }
            met = Report(clip, results) && met;
        }
    }
    std::printf("\n%s\n", met ? "All targets met." : "Some targets missed.");
    return met ? 0 : 1;
}
