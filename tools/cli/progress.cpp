#include "cli/progress.h"

#include <cmath>

namespace dvenc {

std::string FormatDuration(double seconds) {
    const long long s = seconds > 0 ? static_cast<long long>(seconds) : 0;
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    }
    return text;
}

std::string FormatProgressLine(long long frames, long long total, double elapsedSeconds) {
    char text[160];
    int length = 0;
    if (total >= 0) {
        const long long percent = total > 0 ? frames * 100 / total : 100;
        length =
            std::snprintf(text, sizeof text, "frame %lld/%lld (%lld%%)", frames, total, percent);
    } else {
        length = std::snprintf(text, sizeof text, "frame %lld", frames);
    }
    std::string line(text, static_cast<size_t>(length));
    if (frames > 0 && elapsedSeconds > 0) {
        const double rate = frames / elapsedSeconds;
        std::snprintf(text, sizeof text, "  %.1f fps", rate);
        line += text;
    }
    line += "  elapsed " + FormatDuration(elapsedSeconds);
    if (total >= 0 && frames > 0 && elapsedSeconds > 0) {
        const long long left = total > frames ? total - frames : 0;
        line += "  left " + FormatDuration(std::ceil(left * elapsedSeconds / frames));
    }
    return line;
}

std::string FormatSummary(const Summary& summary) {
    const double rate = summary.is625 ? 25.0 : 30000.0 / 1001.0;
    char text[256];
    std::snprintf(text, sizeof text, "%lld frame%s (%.2f s of %s DV, %s, %s), %llu bytes to ",
                  summary.frames, summary.frames == 1 ? "" : "s", summary.frames / rate,
                  summary.is625 ? "625/50" : "525/60", summary.sampling411 ? "4:1:1" : "4:2:0",
                  summary.wide ? "16:9" : "4:3", summary.bytes);
    std::string line = text + summary.output;
    std::snprintf(text, sizeof text, " in %.1f s", summary.elapsedSeconds);
    line += text;
    if (summary.frames > 0 && summary.elapsedSeconds > 0) {
        std::snprintf(text, sizeof text, ", %.1f fps", summary.frames / summary.elapsedSeconds);
        line += text;
    }
    return line;
}

ProgressLine::ProgressLine(bool enabled, long long total, std::FILE* stream)
    : enabled_(enabled),
      total_(total),
      stream_(stream),
      start_(std::chrono::steady_clock::now()),
      lastDrawn_(start_) {}

double ProgressLine::ElapsedSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressLine::Update(long long frames) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawnWidth_ > 0 && now - lastDrawn_ < std::chrono::milliseconds(250)) return;
    lastDrawn_ = now;
    const std::string line = FormatProgressLine(frames, total_, ElapsedSeconds());
    // Pad over the remains of a longer previous line.
    const size_t pad = drawnWidth_ > line.size() ? drawnWidth_ - line.size() : 0;
    std::fprintf(stream_, "\r%s%*s", line.c_str(), static_cast<int>(pad), "");
    std::fflush(stream_);
    drawnWidth_ = line.size();
}

void ProgressLine::Clear() {
    if (!enabled_ || drawnWidth_ == 0) return;
    std::fprintf(stream_, "\r%*s\r", static_cast<int>(drawnWidth_), "");
    std::fflush(stream_);
    drawnWidth_ = 0;
}

}  // namespace dvenc
