#include "demo_picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

TEST(DemoPicture, ZonePlateRingsMoveEveryField) {
    // The rings move by 0.9 radians a frame: most samples of a line change from one frame
    // to the next, and the two fields of a frame, half a frame apart, differ as well.
    DemoPicture picture(576);
    const std::vector<uint8_t> first = Copy(picture.Draw(10), 576);
    const std::vector<uint8_t> second = Copy(picture.Draw(11), 576);
    const size_t pitch = DemoPicture::kPitch;
    const size_t line = 258;  // the middle of the zone plate, on the plate's centre line
    int changedInTime = 0;
    int changedAcrossFields = 0;
    for (size_t x = 0; x < 720; ++x) {
        changedInTime += first[line * pitch + 2 * x] != second[line * pitch + 2 * x];
        changedAcrossFields +=
            std::abs(first[line * pitch + 2 * x] - first[(line + 1) * pitch + 2 * x]) > 8;
    }
    EXPECT_GT(changedInTime, 500);
    EXPECT_GT(changedAcrossFields, 200);
}

}  // namespace
}  // namespace dvenc
