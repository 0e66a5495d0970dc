// Frame benchmark against the DV encoders a host would use instead: every encoder runs on
// the same clips, in interleaved rounds so that a change of machine load hits all alike,
// and every output is decoded by the same independent decoder for its PSNR and SSIM.
//
//   bench_peers [--rounds N] [--frames N] [--quality-only] [--system 625|525]
//               [--clips natural,noise,photo-pan,photo-zoom,interlaced] [--photos DIR]
//
// Times are wall-clock milliseconds per frame of the encoder's own calls, best round.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "clip.h"
#include "enc_dv.h"
#include "frame_encoder.h"
#include "photo_canvas.h"
#include "quality.h"

namespace encdv {
namespace bench {
namespace {

struct Row {
    std::string encoder;
    int threads;
    std::unique_ptr<FrameEncoder> coder;
    std::string unavailable;
    bool measureQuality;
    double best = std::numeric_limits<double>::infinity();  // wall seconds per frame
    double bestCpu = 0;  // CPU seconds per frame in the round of the best wall time
    double leastCpu = std::numeric_limits<double>::infinity();  // over all rounds
    QualityMeter quality;
    uint64_t digest = 0;  // of the first round's frames, to compare thread counts
    bool failed = false;
};

struct Scenario {
    const char* name;
    int height;
    Sampling sampling;
    unsigned flags;
    EncDvSource source;
    bool peers;       // the peers take this picture (they have no BGR input)
    bool photoClips;  // the photograph clips run in this system too
};

const Scenario kScenarios[] = {
    {"625/50 4:2:0 YUY2", 576, Sampling::k420, 0, EncDvSource::kYuy2, true, true},
    {"525/60 4:1:1 YUY2", 480, Sampling::k411, 0, EncDvSource::kYuy2, true, true},
    {"625/50 4:1:1 YUY2", 576, Sampling::k411, DVENC_FLAG_SMPTE314M, EncDvSource::kYuy2, true,
     false},
    {"625/50 4:2:0 BGR4", 576, Sampling::k420, 0, EncDvSource::kBgr4, false, false},
};

enum class Content { kNatural, kNoise, kPhotoPan, kPhotoZoom, kInterlaced };
const char* const kContentNames[] = {"natural", "noise", "photo-pan", "photo-zoom", "interlaced"};
constexpr int kContents = 5;

bool IsPhotoContent(Content c) {
    return c >= Content::kPhotoPan;
}

struct Options {
    int rounds = 5;
    int frames = 8;
    bool qualityOnly = false;
    int height = 0;  // 0: every system
    bool contents[kContents] = {true, true, true, true, true};
    std::string photos = kDefaultPhotoDirectory;
};

int AllThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(n, 1u, 16u));
}

// One thread each for the quality comparison; the speed rows (more threads, no handle) on
// the synthetic clips unless only quality is asked for.
std::vector<Row> MakeRows(const Scenario& s, const Clip& clip, bool speedRows) {
    const int all = AllThreads();
    std::vector<Row> rows;
    auto add = [&rows](std::string name, int threads, bool quality,
                       std::unique_ptr<FrameEncoder> coder, std::string why = {}) {
        Row row;
        row.encoder = std::move(name);
        row.threads = threads;
        row.measureQuality = quality;
        row.coder = std::move(coder);
        row.unavailable = std::move(why);
        rows.push_back(std::move(row));
    };
    const unsigned single = s.flags | DVENC_FLAG_SINGLE_THREAD;
    add("enc_dv handle", 1, true, MakeEncDvEncoder(clip, EncDvEntry::kHandle, s.source, single));
    if (speedRows)
        add("enc_dv handle", all, false,
            MakeEncDvEncoder(clip, EncDvEntry::kHandle, s.source, s.flags));
    add("enc_dv best", 1, true,
        MakeEncDvEncoder(clip, EncDvEntry::kHandle, s.source, single | kBestQualityFlag));
    if (speedRows) {
        add("enc_dv best", all, false,
            MakeEncDvEncoder(clip, EncDvEntry::kHandle, s.source, s.flags | kBestQualityFlag));
        add("enc_dv no handle", 1, false,
            MakeEncDvEncoder(clip, EncDvEntry::kNoHandle, s.source, single));
        add("enc_dv no handle", all, false,
            MakeEncDvEncoder(clip, EncDvEntry::kNoHandle, s.source, s.flags));
    }
    if (!s.peers) return rows;
    std::string why;
    auto coder = MakeLibavcodecEncoder(clip, 1, LibavcodecDct::kDefault, why);
    add("libavcodec", 1, true, std::move(coder), why);
    if (speedRows) {
        coder = MakeLibavcodecEncoder(clip, all, LibavcodecDct::kDefault, why);
        add("libavcodec", all, false, std::move(coder), why);
    }
    coder = MakeLibavcodecEncoder(clip, 1, LibavcodecDct::kInterlaced, why);
    add("libavcodec ildct", 1, true, std::move(coder), why);
    coder = MakeLibdvEncoder(clip, why);
    add("libdv", 1, true, std::move(coder), why);
    return rows;
}

// FNV-1a over the bytes, continuing from digest.
uint64_t Digest(uint64_t digest, const std::vector<uint8_t>& bytes) {
    for (const uint8_t b : bytes) digest = (digest ^ b) * 0x100000001b3u;
    return digest;
}

// One pass over the clip; returns the time per frame, failed if any frame failed. The first
// pass also takes the frames' digest and, on the quality rows, their quality.
EncodeTime RunPass(Row& row, const Clip& clip, bool first) {
    std::vector<uint8_t> out;
    EncodeTime total{0, 0};
    if (first) row.digest = 0xcbf29ce484222325u;
    for (const ClipFrame& frame : clip.frames) {
        const EncodeTime time = row.coder->Encode(frame, out);
        if (time.Failed()) return {};
        total.wall += time.wall;
        total.cpu += time.cpu;
        if (!first) continue;
        row.digest = Digest(row.digest, out);
        if (row.measureQuality) row.quality.Add(clip, frame, out);
    }
    const double frames = static_cast<double>(clip.frames.size());
    return {total.wall / frames, total.cpu / frames};
}

const Row* Find(const std::vector<Row>& rows, const char* encoder, int threads) {
    for (const Row& row : rows) {
        if (row.encoder == encoder && row.threads == threads && row.coder && !row.failed)
            return &row;
    }
    return nullptr;
}

bool HasQuality(const Row* row) {
    return row && row->measureQuality && !row->quality.Failed();
}

void PrintRows(const Scenario& s, const Clip& clip, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        std::printf("%-17s %-10s %-16s %2d", s.name, clip.content, row.encoder.c_str(),
                    row.threads);
        if (!row.coder || row.failed) {
            std::printf("   %s\n", row.coder ? "encoding failed" : row.unavailable.c_str());
            continue;
        }
        const Row* reference = Find(rows, "enc_dv handle", row.threads);
        if (!reference) reference = Find(rows, "enc_dv handle", 1);
        std::printf(" %8.3f %7.3f %6.2f", 1000 * row.best, 1000 * row.bestCpu,
                    row.best / reference->best);
        // This library promises the same frames on any number of threads.
        const Row* single = Find(rows, row.encoder.c_str(), 1);
        if (row.threads > 1 && single && single->digest != row.digest &&
            row.encoder.compare(0, 6, "enc_dv") == 0)
            std::printf("   frames differ from one thread's\n");
        else if (!row.measureQuality)
            std::printf("\n");
        else if (row.quality.Failed())
            std::printf("   not decodable\n");
        else
            std::printf(" %6.2f %6.2f %6.2f %7.4f\n", row.quality.LumaPsnr(), row.quality.CbPsnr(),
                        row.quality.CrPsnr(), row.quality.LumaSsim());
    }
}

// The best-quality mode against the better libavcodec setting on one clip (one thread
// each), and against the default mode's chroma.
struct Comparison {
    std::string scenario, content;
    bool photo, noise;
    const char* peer;  // the libavcodec row with the higher luma PSNR
    double luma, ssim, cb, cr, speed, threads;
};

bool Compare(const Scenario& s, const Clip& clip, Content content, const std::vector<Row>& rows,
             Comparison& c) {
    const Row* best = Find(rows, "enc_dv best", 1);
    const Row* base = Find(rows, "enc_dv handle", 1);
    const Row* lav = Find(rows, "libavcodec", 1);
    const Row* ildct = Find(rows, "libavcodec ildct", 1);
    if (!HasQuality(best) || !HasQuality(base)) return false;
    if (!HasQuality(lav) ||
        (HasQuality(ildct) && ildct->quality.LumaPsnr() > lav->quality.LumaPsnr()))
        lav = ildct;
    if (!HasQuality(lav)) return false;
    const Row* bestAll = Find(rows, "enc_dv best", AllThreads());
    c.scenario = s.name;
    c.content = clip.content;
    c.photo = IsPhotoContent(content);
    c.noise = content == Content::kNoise;
    c.peer = lav == ildct ? "libavcodec ildct" : "libavcodec";
    c.luma = best->quality.LumaPsnr() - lav->quality.LumaPsnr();
    c.ssim = best->quality.LumaSsim() - lav->quality.LumaSsim();
    c.cb = best->quality.CbPsnr() - base->quality.CbPsnr();
    c.cr = best->quality.CrPsnr() - base->quality.CrPsnr();
    // CPU time: one thread each, so it is the encoder's own work, and a busy machine's
    // waits do not count.
    c.speed = lav->leastCpu / best->leastCpu;
    c.threads = bestAll && AllThreads() > 1 ? best->best / bestAll->best : 0;
    return true;
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

// One line a clip, then the targets of the best-quality mode over the clips that ran.
void PrintComparisons(const std::vector<Comparison>& comparisons) {
    if (comparisons.empty()) return;
    std::printf(
        "\nBest-quality mode, one thread, against the better libavcodec setting on each clip\n"
        "(Y and SSIM), against the default mode (Cb, Cr), and libavcodec's CPU time per frame\n"
        "over its own (least of the rounds):\n");
    for (const Comparison& c : comparisons) {
        std::printf(
            "  %-17s %-10s vs %-16s Y %+6.2f dB  SSIM %+7.4f  Cb %+5.2f Cr %+5.2f dB"
            "  speed %5.2fx",
            c.scenario.c_str(), c.content.c_str(), c.peer, c.luma, c.ssim, c.cb, c.cr, c.speed);
        if (c.threads > 0) std::printf("  %d threads %.2fx", AllThreads(), c.threads);
        std::printf("\n");
    }
    double photoSum = 0;
    int photoCount = 0;
    bool eachClip = true, ssim = true, chroma = true, speed = true, threads = true;
    bool anyThreads = false;
    for (const Comparison& c : comparisons) {
        if (c.photo) photoSum += c.luma, ++photoCount;
        eachClip = eachClip && c.luma >= (c.noise ? 0.0 : 0.5);
        ssim = ssim && c.ssim >= 0;
        chroma = chroma && c.cb >= 0 && c.cr >= 0;
        speed = speed && c.speed >= 2.0;
        if (c.threads > 0) threads = threads && c.threads >= 1.8, anyThreads = true;
    }
    std::printf("Targets of the best-quality mode over these clips:\n");
    if (photoCount > 0)
        std::printf("  Y over photograph and interlaced clips, mean %+.2f dB (>= +1.0): %s\n",
                    photoSum / photoCount, Verdict(photoSum / photoCount >= 1.0));
    std::printf("  Y on every clip >= +0.5 dB (noise >= 0): %s\n", Verdict(eachClip));
    std::printf("  SSIM on every clip >= libavcodec's: %s\n", Verdict(ssim));
    std::printf("  Cb and Cr on every clip >= the default mode's: %s\n", Verdict(chroma));
    std::printf("  speed on every clip >= 2x libavcodec's: %s\n", Verdict(speed));
    if (anyThreads) std::printf("  %d threads >= 1.8x one: %s\n", AllThreads(), Verdict(threads));
}

// Best times of the rows that the speed targets compare, for one clip of 625/50 4:2:0
// from YUY2 (0 where a row is missing).
struct TargetFigures {
    const char* content;
    double ours1, oursAll, bare1, bareAll, libavcodec1, libdv;
};

TargetFigures CollectTargets(const Clip& clip, const std::vector<Row>& rows) {
    const int all = AllThreads();
    auto best = [&rows](const char* encoder, int threads) {
        const Row* row = Find(rows, encoder, threads);
        return row ? row->best : 0.0;
    };
    return {clip.content,
            best("enc_dv handle", 1),
            best("enc_dv handle", all),
            best("enc_dv no handle", 1),
            best("enc_dv no handle", all),
            best("libavcodec", 1),
            best("libdv", 1)};
}

void PrintRatio(const char* what, double slow, double fast, double target) {
    if (slow <= 0 || fast <= 0) {
        std::printf("  %-48s n/a\n", what);
        return;
    }
    const double r = slow / fast;
    std::printf("  %-48s %6.2fx  (target %.1fx: %s)\n", what, r, target, Verdict(r >= target));
}

void PrintTargets(const TargetFigures& f) {
    const int all = AllThreads();
    std::printf("Targets, 625/50 4:2:0 from YUY2, %s clip:\n", f.content);
    PrintRatio("libavcodec 1 thread / enc_dv 1 thread", f.libavcodec1, f.ours1, 5.0);
    PrintRatio("libdv / enc_dv 1 thread", f.libdv, f.ours1, 5.0);
    if (all >= 2) {
        char what[64];
        std::snprintf(what, sizeof what, "enc_dv 1 thread / enc_dv %d threads", all);
        PrintRatio(what, f.ours1, f.oursAll, 1.8);
    }
    PrintRatio("enc_dv no handle / with handle, all threads", f.bareAll, f.oursAll, 1.0);
    std::printf(
        "  thread start-up without a handle: %.0f us per frame with %d threads"
        " (%.0f us with one thread)\n",
        1e6 * (f.bareAll - f.oursAll), all, 1e6 * (f.bare1 - f.ours1));
}

bool ParseOptions(int argc, char** argv, Options& o) {
    bool roundsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--quality-only") {
            o.qualityOnly = true;
            continue;
        }
        if (!value) return false;
        ++i;
        if (arg == "--rounds") {
            o.rounds = std::max(1, std::atoi(value));
            roundsGiven = true;
        } else if (arg == "--frames") {
            o.frames = std::max(1, std::atoi(value));
        } else if (arg == "--system") {
            o.height = std::strcmp(value, "625") == 0   ? 576
                       : std::strcmp(value, "525") == 0 ? 480
                                                        : -1;
            if (o.height < 0) return false;
        } else if (arg == "--photos") {
            o.photos = value;
        } else if (arg == "--clips") {
            std::fill(std::begin(o.contents), std::end(o.contents), false);
            const std::string list = std::string(value) + ",";
            for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos;
                 at = comma + 1) {
                const std::string name = list.substr(at, comma - at);
                const auto* found =
                    std::find(std::begin(kContentNames), std::end(kContentNames), name);
                if (found == std::end(kContentNames)) return false;
                o.contents[found - std::begin(kContentNames)] = true;
            }
        } else {
            return false;
        }
    }
    if (o.qualityOnly && !roundsGiven) o.rounds = 1;
    return true;
}

Clip MakeClip(Content content, const Scenario& s, const PhotoCanvas& canvas, int frames) {
    switch (content) {
        case Content::kNatural:
            return MakeNaturalClip(s.height, s.sampling, frames);
        case Content::kNoise:
            return MakeNoiseClip(s.height, s.sampling, frames);
        case Content::kPhotoPan:
            return MakePhotoPanClip(canvas, s.height, s.sampling, frames);
        case Content::kPhotoZoom:
            return MakePhotoZoomClip(canvas, s.height, s.sampling, frames);
        case Content::kInterlaced:
            break;
    }
    return MakeInterlacedClip(canvas, s.height, s.sampling, frames);
}

}  // namespace
}  // namespace bench
}  // namespace encdv

int main(int argc, char** argv) {
    using namespace encdv::bench;
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--rounds N] [--frames N] [--quality-only] [--system 625|525]\n"
                     "       [--clips natural,noise,photo-pan,photo-zoom,interlaced] "
                     "[--photos DIR]\n",
                     argv[0]);
        return 2;
    }
    InitDVEnc();
    PhotoCanvas canvas;
    std::string why;
    const bool photos = LoadPhotoCanvas(options.photos, canvas, why);
    std::printf(
        "enc_dv against peer DV encoders: %d-frame clips, best of %d interleaved rounds, "
        "%d hardware threads\n",
        options.frames, options.rounds, AllThreads());
    if (!photos)
        std::printf(
            "Photograph and interlaced clips SKIPPED (their photographs come with the Debian\n"
            "package python3-skimage): %s\n",
            why.c_str());
    std::printf(
        "ms/frame: wall-clock time of the encode calls, best round; cpu ms: CPU time of all\n"
        "the process's threads in that round; ratio: ms/frame / enc_dv with a handle and\n"
        "the same threads. Quality (one-thread rows): every output decoded by libavcodec;\n"
        "PSNR in dB of Y and of Cb and Cr in the DV system's sampling (4:2:0 at 625/50, 4:1:1\n"
        "otherwise), against the same source for all: its luma, and its 4:2:2 chroma reduced\n"
        "as this library's readers reduce it, which is also what libavcodec is given (libdv\n"
        "reduces its own); SSIM of Y, 11x11 Gaussian window (sigma 1.5), C1 = (0.01*255)^2,\n"
        "C2 = (0.03*255)^2, mean of the frames' means. enc_dv best: compress flag 0x200000.\n\n");
    std::printf("%-17s %-10s %-16s %2s %8s %7s %6s %6s %6s %6s %7s\n", "video", "clip", "encoder",
                "th", "ms/frame", "cpu ms", "ratio", "Y dB", "Cb dB", "Cr dB", "SSIM Y");
    std::vector<TargetFigures> targets;
    std::vector<Comparison> comparisons;
    for (const Scenario& s : kScenarios) {
        if (options.height != 0 && s.height != options.height) continue;
        if (options.qualityOnly && !s.photoClips) continue;
        for (int c = 0; c < kContents; ++c) {
            const auto content = static_cast<Content>(c);
            if (!options.contents[c]) continue;
            if (IsPhotoContent(content) && (!s.photoClips || !photos)) continue;
            const Clip clip = MakeClip(content, s, canvas, options.frames);
            std::vector<Row> rows =
                MakeRows(s, clip, !options.qualityOnly && !IsPhotoContent(content));
            for (int round = 0; round < options.rounds; ++round) {
                // Each round starts with another row: the first row of a round runs with the
                // caches the previous encoder left, which would otherwise always cost the same
                // row.
                for (size_t i = 0; i < rows.size(); ++i) {
                    Row& row = rows[(i + static_cast<size_t>(round)) % rows.size()];
                    if (!row.coder || row.failed) continue;
                    const EncodeTime time = RunPass(row, clip, round == 0);
                    if (time.Failed()) {
                        row.failed = true;
                        continue;
                    }
                    row.leastCpu = std::min(row.leastCpu, time.cpu);
                    if (time.wall < row.best) {
                        row.best = time.wall;
                        row.bestCpu = time.cpu;
                    }
                }
            }
            PrintRows(s, clip, rows);
            Comparison comparison;
            if (s.photoClips && Compare(s, clip, content, rows, comparison))
                comparisons.push_back(comparison);
            if (&s == &kScenarios[0] && !options.qualityOnly && !IsPhotoContent(content))
                targets.push_back(CollectTargets(clip, rows));
        }
    }
    PrintComparisons(comparisons);
    if (!targets.empty()) std::printf("\n");
    for (const TargetFigures& figures : targets) PrintTargets(figures);
    return 0;
}
