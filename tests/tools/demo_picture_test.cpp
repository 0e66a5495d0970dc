#include "sources/demo_picture.h"

#include <gtest/gtest.h>

#include <vector>

namespace dvenc {
namespace {

std::vector<uint8_t> Copy(const uint8_t* picture, int height) {
    return std::vector<uint8_t>(picture,
                                picture + static_cast<size_t>(DemoPicture::kPitch) * height);
}

TEST(DemoPicture, EachFrameIsTheSameWhateverWasDrawnBefore) {
    // Frames are drawn over the previous one: the ball's old position must be wiped and
    // the counter and zone plate fully redrawn. A picture drawn straight at frame n equals
    // one that went through every frame before it, and also one coming back from later.
    for (const int height : {576, 480}) {
        DemoPicture walked(height);
        for (long long n = 0; n < 160; ++n) {
            const std::vector<uint8_t> stepped = Copy(walked.Draw(n), height);
            if (n % 23 != 0 && n != 159) continue;
            DemoPicture fresh(height);
            ASSERT_TRUE(stepped == Copy(fresh.Draw(n), height)) << height << " lines, frame " << n;
            DemoPicture back(height);
            back.Draw(n + 70);
            ASSERT_TRUE(stepped == Copy(back.Draw(n), height)) << height << " lines, frame " << n;
        }
    }
}

}  // namespace
}  // namespace dvenc
