// What to tell a user whose pictures are not a DV size: an ffmpeg filter chain that makes
// them one.
#ifndef DVENC_SIZE_ADVICE_H
#define DVENC_SIZE_ADVICE_H

#include <string>

namespace dvenc {

// "unsupported picture size WxH (DV takes 720x480, 720x486 or 720x576; ffmpeg makes ...
// with -vf ...)". The chain picks 525/60 for rates near 30 or 24 frames a second and
// 625/50 otherwise (or when the rate is 0:0, unknown), 16:9 for pictures wider than 14:9
// (sample aspect 0:0 counts as square), and pads instead of stretching when the picture
// is neither 4:3 nor 16:9.
std::string UnsupportedSizeMessage(int width, int height, int rateNumerator, int rateDenominator,
                                   int aspectNumerator, int aspectDenominator);

}  // namespace dvenc

#endif
