// The progress line shown on a terminal while encoding, and the closing summary.
#ifndef DVENC_PROGRESS_H
#define DVENC_PROGRESS_H

#include <chrono>
#include <cstdio>
#include <string>

namespace dvenc {

// "m:ss", or "h:mm:ss" from an hour on; seconds are truncated.
std::string FormatDuration(double seconds);

// "frame 120/500 (24%)  98.4 fps  elapsed 0:01  left 0:04"; without a known total (total
// below 0) the share and the time left are omitted, and so is the rate until a frame is done.
std::string FormatProgressLine(long long frames, long long total, double elapsedSeconds);

struct Summary {
    long long frames = 0;
    bool is625 = true;
    bool sampling411 = false;
    bool wide = false;
    unsigned long long bytes = 0;
    std::string output;  // name of the output
    double elapsedSeconds = 0;
};
// "125 frames (5.00 s of 625/50 DV, 4:2:0, 4:3), 18000000 bytes to 'demo.dv' in 1.3 s, 96.2 fps"
std::string FormatSummary(const Summary& summary);

class ProgressLine {
  public:
    // enabled: draw on stream (a terminal) at most every quarter second.
    ProgressLine(bool enabled, long long total, std::FILE* stream);
    void Update(long long frames);
    // Erases the line, if one was drawn.
    void Clear();
    double ElapsedSeconds() const;

  private:
    bool enabled_;
    long long total_;
    std::FILE* stream_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
    size_t drawnWidth_ = 0;
};

}  // namespace dvenc

#endif
