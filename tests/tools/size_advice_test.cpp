#include "sources/size_advice.h"

#include <gtest/gtest.h>

#include <string>

namespace dvenc {
namespace {

TEST(SizeAdvice, ChainFitsTheSourcesRateAndShape) {
    const struct {
        int width, height, rateN, rateD, sarN, sarD;
        const char* chain;
    } cases[] = {
        {1280, 720, 25, 1, 1, 1, "-vf \"scale=720:576:interl=1,setsar=64/45,fps=25\""},
        {1920, 1080, 30000, 1001, 1, 1,
         "-vf \"scale=720:480:interl=1,setsar=32/27,fps=30000/1001\""},
        {640, 480, 0, 0, 0, 0, "-vf \"scale=720:576:interl=1,setsar=16/15,fps=25\""},
        {1440, 1080, 24000, 1001, 4, 3,
         "-vf \"scale=720:480:interl=1,setsar=32/27,fps=30000/1001\""},
        {352, 288, 50, 1, 12, 11, "-vf \"scale=720:576:interl=1,setsar=16/15,fps=25\""},
        // 2.39:1 and square pictures are padded, not stretched.
        {1920, 800, 24, 1, 1, 1,
         "-vf \"scale='iw*sar':ih,scale=854:480:force_original_aspect_ratio=decrease,"
         "pad=854:480:-1:-1,scale=720:480:interl=1,setsar=32/27,fps=30000/1001\""},
        {720, 720, 25, 1, 1, 1,
         "-vf \"scale='iw*sar':ih,scale=768:576:force_original_aspect_ratio=decrease,"
         "pad=768:576:-1:-1,scale=720:576:interl=1,setsar=16/15,fps=25\""},
    };
    for (const auto& c : cases) {
        const std::string message =
            UnsupportedSizeMessage(c.width, c.height, c.rateN, c.rateD, c.sarN, c.sarD);
        EXPECT_EQ(message.rfind("unsupported picture size " + std::to_string(c.width) + "x" +
                                    std::to_string(c.height) +
                                    " (DV takes 720x480, 720x486 or 720x576; ffmpeg makes ",
                                0),
                  0u)
            << message;
        EXPECT_NE(message.find(std::string(c.chain) + ")"), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace dvenc
