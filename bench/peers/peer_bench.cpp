// Frame benchmark against the DV encoders a host would use instead: every encoder runs on
// the same clips, in interleaved rounds so that a change of machine load hits all alike,
// and every output is decoded by the same independent decoder for its PSNR.
//
//   bench_peers [--rounds N] [--frames N]
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
#include "quality.h"

namespace encdv {
namespace bench {
namespace {

struct Row {
    std::string encoder;
    int threads;
    bool isReference;  // enc_dv with a handle: the yardstick of the rows with its threads
    std::unique_ptr<FrameEncoder> coder;
    std::string unavailable;
    double best = std::numeric_limits<double>::infinity();  // wall seconds per frame
    double bestCpu = 0;  // CPU seconds per frame in the round of the best wall time
    QualityMeter quality;
    bool failed = false;
};

struct Scenario {
    const char* name;
    int height;
    Sampling sampling;
    unsigned flags;
    EncDvSource source;
    bool peers;  // the peers take this picture (they have no BGR input)
};

const Scenario kScenarios[] = {
    {"625/50 4:2:0 YUY2", 576, Sampling::k420, 0, EncDvSource::kYuy2, true},
    {"525/60 4:1:1 YUY2", 480, Sampling::k411, 0, EncDvSource::kYuy2, true},
    {"625/50 4:1:1 YUY2", 576, Sampling::k411, DVENC_FLAG_SMPTE314M, EncDvSource::kYuy2, true},
    {"625/50 4:2:0 BGR4", 576, Sampling::k420, 0, EncDvSource::kBgr4, false},
};

int AllThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(n, 1u, 16u));
}

std::vector<Row> MakeRows(const Scenario& s, const Clip& clip) {
    const int all = AllThreads();
    std::vector<Row> rows;
    auto add = [&rows](std::string name, int threads, bool reference,
                       std::unique_ptr<FrameEncoder> coder, std::string why = {}) {
        Row row;
        row.encoder = std::move(name);
        row.threads = threads;
        row.isReference = reference;
        row.coder = std::move(coder);
        row.unavailable = std::move(why);
        rows.push_back(std::move(row));
    };
    const unsigned single = s.flags | DVENC_FLAG_SINGLE_THREAD;
    add("enc_dv handle", 1, true, MakeEncDvEncoder(clip, EncDvEntry::kHandle, s.source, single));
    add("enc_dv handle", all, true, MakeEncDvEncoder(clip, EncDvEntry::kHandle, s.source, s.flags));
    add("enc_dv no handle", 1, false,
        MakeEncDvEncoder(clip, EncDvEntry::kNoHandle, s.source, single));
    add("enc_dv no handle", all, false,
        MakeEncDvEncoder(clip, EncDvEntry::kNoHandle, s.source, s.flags));
    if (!s.peers) return rows;
    for (const int threads : {1, all}) {
        std::string why;
        auto coder = MakeLibavcodecEncoder(clip, threads, why);
        add("libavcodec", threads, false, std::move(coder), why);
    }
    std::string why;
    auto coder = MakeLibdvEncoder(clip, why);
    add("libdv", 1, false, std::move(coder), why);
    return rows;
}

// One pass over the clip; returns the time per frame, failed if any frame failed.
EncodeTime RunPass(Row& row, const Clip& clip, bool measureQuality) {
    std::vector<uint8_t> out;
    EncodeTime total{0, 0};
    for (const ClipFrame& frame : clip.frames) {
        const EncodeTime time = row.coder->Encode(frame, out);
        if (time.Failed()) return {};
        total.wall += time.wall;
        total.cpu += time.cpu;
        if (measureQuality) row.quality.Add(clip, frame, out);
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

void PrintRows(const Scenario& s, const Clip& clip, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        std::printf("%-18s %-8s %-17s %2d", s.name, clip.content, row.encoder.c_str(), row.threads);
        if (!row.coder || row.failed) {
            std::printf("   %s\n", row.coder ? "encoding failed" : row.unavailable.c_str());
            continue;
        }
        const Row* reference = Find(rows, "enc_dv handle", row.threads);
        if (!reference) reference = Find(rows, "enc_dv handle", 1);
        std::printf(" %9.3f %7.3f %6.2f", 1000 * row.best, 1000 * row.bestCpu,
                    row.best / reference->best);
        if (row.quality.Failed())
            std::printf("   not decodable\n");
        else
            std::printf(" %8.2f %8.2f\n", row.quality.LumaPsnr(), row.quality.ChromaPsnr());
    }
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
    std::printf("  %-48s %6.2fx  (target %.1fx: %s)\n", what, r, target,
                r >= target ? "met" : "MISSED");
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

int ArgValue(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

}  // namespace
}  // namespace bench
}  // namespace encdv

int main(int argc, char** argv) {
    using namespace encdv::bench;
    const int rounds = ArgValue(argc, argv, "--rounds", 5);
    const int frames = ArgValue(argc, argv, "--frames", 8);
    InitDVEnc();
    std::printf(
        "enc_dv against peer DV encoders: %d-frame clips, best of %d interleaved rounds, "
        "%d hardware threads\n",
        frames, rounds, AllThreads());
    std::printf(
        "ms/frame: wall-clock time of the encode calls, best round; cpu ms: CPU time of all\n"
        "the process's threads in that round; ratio: ms/frame / enc_dv with a handle and\n"
        "the same threads; PSNR (dB): output decoded by libavcodec against the source luma\n"
        "and the chroma the DV sampling keeps\n\n");
    std::printf("%-18s %-8s %-17s %2s %9s %7s %6s %8s %8s\n", "video", "content", "encoder", "th",
                "ms/frame", "cpu ms", "ratio", "PSNR Y", "PSNR C");
    std::vector<TargetFigures> targets;
    for (const Scenario& s : kScenarios) {
        for (int content = 0; content < 2; ++content) {
            const Clip clip = content == 0 ? MakeNaturalClip(s.height, s.sampling, frames)
                                           : MakeNoiseClip(s.height, s.sampling, frames);
            std::vector<Row> rows = MakeRows(s, clip);
            for (int round = 0; round < rounds; ++round) {
                // Each round starts with another row: the first row of a round runs with the
                // caches the previous encoder left, which would otherwise always cost the same
                // row.
                for (size_t i = 0; i < rows.size(); ++i) {
                    Row& row = rows[(i + static_cast<size_t>(round)) % rows.size()];
                    if (!row.coder || row.failed) continue;
                    const EncodeTime time = RunPass(row, clip, round == 0);
                    if (time.Failed()) {
                        row.failed = true;
                    } else if (time.wall < row.best) {
                        row.best = time.wall;
                        row.bestCpu = time.cpu;
                    }
                }
            }
            PrintRows(s, clip, rows);
            if (&s == &kScenarios[0]) targets.push_back(CollectTargets(clip, rows));
        }
    }
    std::printf("\n");
    for (const TargetFigures& figures : targets) PrintTargets(figures);
    return 0;
}
