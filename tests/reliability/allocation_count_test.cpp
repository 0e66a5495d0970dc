// Heap use of a frame, counted through the platform layer's allocation seam: a frame makes
// a small fixed number of allocations (encoder object, worker records without a handle,
// reader, and the 4:1:1 frame buffer), never one per macroblock, segment or sequence.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "enc_dv.h"
#include "platform/test_hooks.h"
#include "support/synthetic_picture.h"

namespace encdv {
namespace {

using platform::test_hooks::Resource;
namespace hooks = platform::test_hooks;

constexpr int kNoAllocation = -1;

struct Picture {
    std::vector<uint8_t> bytes;
    int bytesPerPixel;
    unsigned fourcc;
};

Picture MakePicture(unsigned fourcc, int bytesPerPixel, int height, bool noise) {
    Picture picture{std::vector<uint8_t>(static_cast<size_t>(720) * bytesPerPixel * height, 128),
                    bytesPerPixel, fourcc};
    if (noise) test::FillXorshiftNoise(picture.bytes, 0x2545F491u);
    return picture;
}

struct Frame {
    DVEncoderHandle* handle;  // null: CompressBuffer_DV
    const Picture* picture;
    int height;
    unsigned flags;

    int Encode() const {
        std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES);
        const int pitch = 720 * picture->bytesPerPixel;
        return handle ? DVCompressBuffer(handle, picture->bytes.data(), pitch, out.data(), 0, 720,
                                         height, 0, flags, picture->fourcc)
                      : CompressBuffer_DV(picture->bytes.data(), pitch, out.data(), 0, 720, height,
                                          0, flags, picture->fourcc);
    }
};

// The number of allocations one frame makes: failing allocation k makes the frame fail
// exactly when the frame makes at least k of them, since every one of them is needed.
int CountAllocations(const Frame& frame) {
    for (int k = 1; k <= 64; ++k) {
        hooks::ArmFailure(Resource::kAllocation, k);
        const int bytes = frame.Encode();
        hooks::ArmFailure(Resource::kAllocation, 0);
        if (bytes > 0) return k - 1;
    }
    return kNoAllocation;
}

struct Video {
    const char* name;
    int height;
    unsigned flags;
    bool buffered;  // the 4:1:1 readers convert the frame into a buffer of their own
};

const Video kVideos[] = {
    {"625/50 4:2:0", 576, 0, false},
    {"625/50 4:1:1", 576, DVENC_FLAG_SMPTE314M, true},
    {"525/60", 480, 0, true},
};

TEST(AllocationCount, FrameMakesAFixedFewAllocationsWhateverItsContentModeOrThreads) {
    InitDVEnc();
    const long liveBefore = hooks::LiveCount(Resource::kAllocation);
    DVEncoderHandle* handle = DVNewEnc();
    ASSERT_NE(handle, nullptr);
    for (const int threads : {1, 4}) {
        hooks::ForceProcessorCount(threads);
        for (DVEncoderHandle* entry : {handle, static_cast<DVEncoderHandle*>(nullptr)}) {
            // What a frame of the direct (4:2:0) and of the buffered (4:1:1) readers takes;
            // the first case of each sets it, every other case must match.
            int expected[2] = {kNoAllocation, kNoAllocation};
            for (const Video& video : kVideos) {
                for (const bool noise : {false, true}) {
                    const Picture pictures[] = {
                        MakePicture(DVENC_FOURCC_YUY2, 2, video.height, noise),
                        MakePicture(DVENC_FOURCC_BGR4, 4, video.height, noise)};
                    for (const Picture& picture : pictures) {
                        SCOPED_TRACE(testing::Message()
                                     << video.name << (noise ? " noise" : " flat") << " bpp "
                                     << picture.bytesPerPixel << (entry ? " handle" : " no handle")
                                     << ", " << threads << " threads");
                        const Frame frame{entry, &picture, video.height, video.flags};
                        ASSERT_GT(frame.Encode(), 0);  // warm: a handle's threads exist now
                        const int count = CountAllocations(frame);
                        ASSERT_NE(count, kNoAllocation);
                        int& same = expected[video.buffered ? 1 : 0];
                        if (same == kNoAllocation) same = count;
                        EXPECT_EQ(count, same);
                        // A second frame on the same handle takes exactly as many.
                        EXPECT_EQ(CountAllocations(frame), count);
                        EXPECT_EQ(hooks::LiveCount(Resource::kAllocation),
                                  liveBefore + 2);  // the handle and its records
                    }
                }
            }
            // Encoder object and reader; worker records without a handle; the buffer of
            // the 4:1:1 readers.
            const int base = entry ? 2 : 3;
            EXPECT_EQ(expected[0], base);
            EXPECT_EQ(expected[1], base + 1);
            std::printf("[ counts   ] %s, %d threads: %d allocations a frame (4:2:0), %d (4:1:1)\n",
                        entry ? "handle" : "no handle", threads, expected[0], expected[1]);
        }
    }
    hooks::Disarm();
    DVDoneEnc(handle);
    EXPECT_EQ(hooks::LiveCount(Resource::kAllocation), liveBefore);
}

}  // namespace
}  // namespace encdv
