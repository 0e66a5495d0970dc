#include "sources/size_advice.h"

#include <cmath>

namespace dvenc {

std::string UnsupportedSizeMessage(int width, int height, int rateNumerator, int rateDenominator,
                                   int aspectNumerator, int aspectDenominator) {
    const double rate =
        rateDenominator > 0 ? static_cast<double>(rateNumerator) / rateDenominator : 0;
    // 23.976 to 30 and 47.95 to 60 frames a second are closer to 525/60 than to 625/50.
    const bool is525 = (rate > 23.5 && rate < 24.5) || (rate > 29 && rate < 31) ||
                       (rate > 47.5 && rate < 48.5) || (rate > 59 && rate < 61);
    const double sampleAspect = aspectNumerator > 0 && aspectDenominator > 0
                                    ? static_cast<double>(aspectNumerator) / aspectDenominator
                                    : 1.0;
    const double aspect = width * sampleAspect / height;
    const bool wide = aspect > 14.0 / 9;
    const double target = wide ? 16.0 / 9 : 4.0 / 3;
    const bool fits = std::fabs(aspect / target - 1) < 0.01;

    const std::string lines = is525 ? "480" : "576";
    const std::string squareWidth = is525 ? (wide ? "854" : "640") : (wide ? "1024" : "768");
    const std::string sar = is525 ? (wide ? "32/27" : "8/9") : (wide ? "64/45" : "16/15");
    std::string chain;
    if (!fits) {
        chain = "scale='iw*sar':ih,scale=" + squareWidth + ":" + lines +
                ":force_original_aspect_ratio=decrease,pad=" + squareWidth + ":" + lines +
                ":-1:-1,";
    }
    chain +=
        "scale=720:" + lines + ":interl=1,setsar=" + sar + ",fps=" + (is525 ? "30000/1001" : "25");
    return "unsupported picture size " + std::to_string(width) + "x" + std::to_string(height) +
           " (DV takes 720x480, 720x486 or 720x576; ffmpeg makes " + (is525 ? "525/60" : "625/50") +
           (wide ? " 16:9" : " 4:3") + " DV pictures with -vf \"" + chain + "\")";
}

}  // namespace dvenc
