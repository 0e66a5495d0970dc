#include "sources/stream_checks.h"

namespace dvenc {

std::string FrameRateWarning(const Y4mHeader& header) {
    const long long n = header.rateNumerator;
    const long long d = header.rateDenominator;
    if (n == 0 || d == 0) return std::string();
    const bool is625 = header.height == 576;
    const bool matches = is625 ? n == 25 * d : n * 1001 == 30000 * d;
    if (matches) return std::string();
    return "frame rate " + std::to_string(n) + ":" + std::to_string(d) + " is not that of " +
           (is625 ? "625/50 DV (25:1)" : "525/60 DV (30000:1001)") +
           "; the frames are encoded one for one and will play at that rate";
}

bool IsWideAspect(const Y4mHeader& header) {
    const long long n = header.aspectNumerator;
    const long long d = header.aspectDenominator;
    if (n == 0 || d == 0) return false;
    const long long lines = header.height == 576 ? 576 : 480;
    // Display aspect 720 n / (lines d) above 14/9.
    return 9 * 720 * n > 14 * lines * d;
}

std::string FieldOrderNote(const Y4mHeader& header, bool swapFields) {
    if (header.interlace == Y4mInterlace::kTopFirst && !swapFields) {
        return "the input is top field first and DV is bottom field first; add fieldorder=bff "
               "to ffmpeg's -vf filters, which moves the picture down one line";
    }
    if (header.interlace == Y4mInterlace::kBottomFirst && swapFields) {
        return "the input is already bottom field first like DV; "
               "--swap-fields makes it top field first";
    }
    return std::string();
}

}  // namespace dvenc
