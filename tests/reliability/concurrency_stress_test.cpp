// Many handles and handle-less calls from many threads at once, handles created and
// destroyed with mixed thread counts, and every reader on 1 to 16 threads: each frame is
// byte for byte the single-threaded one, and no thread, event, lock or block outlives its
// owner.
#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "api/dv_encoder.h"
#include "api/encoder_handle.h"
#include "api/initialization.h"
#include "api/plan_frame.h"
#include "driver/frame_driver.h"
#include "enc_dv.h"
#include "platform/test_hooks.h"
#include "reliability/reliability_support.h"

namespace encdv::test {
namespace {

namespace hooks = platform::test_hooks;

int Scaled(int normal, int shortRun) {
    return ShortRun() ? shortRun : normal;
}

// A job: one picture, layout and system, with its single-threaded frame.
struct Job {
    const Layout* layout;
    int height;
    unsigned flags;
    Bytes picture;
    Bytes frame;
};

std::vector<Job> MakeJobs() {
    std::vector<Job> jobs;
    const int heights[] = {576, 480, 576, 486};
    const unsigned flags[] = {0, 0, DVENC_FLAG_SMPTE314M | DVENC_FLAG_WIDE,
                              DVENC_FLAG_NO_HEADER_BLOCK | DVENC_FLAG_MB_QUANT};
    for (int i = 0; i < 8; ++i) {
        Job job;
        job.layout = &kLayouts[(3 * i) % 11];
        job.height = heights[i % 4];
        job.flags = flags[i % 4] | (i >= 4 ? DVENC_FLAG_ALPHA_WEIGHT | DVENC_FLAG_SWAP_FIELDS : 0);
        job.picture = SeededPicture(job.layout->bytesPerPixel, job.height, 100 + i);
        job.frame.assign(DVENC_MAX_FRAME_BYTES, 0);
        const int size = CompressBuffer_DV(
            job.picture.data(), 720 * job.layout->bytesPerPixel, job.frame.data(), 0, 720,
            job.height, 0, job.flags | DVENC_FLAG_SINGLE_THREAD, job.layout->fourcc);
        job.frame.resize(size > 0 ? size : 0);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

// Encodes the job and reports whether the frame is its single-threaded one.
bool EncodesAsReference(DVEncoderHandle* handle, const Job& job, unsigned extraFlags = 0) {
    Bytes out(DVENC_MAX_FRAME_BYTES, 0);
    const int size =
        Compress(handle, job.picture.data(), 720 * job.layout->bytesPerPixel, out.data(), 720,
                 job.height, job.flags | extraFlags, job.layout->fourcc);
    out.resize(size > 0 ? size : 0);
    return out == job.frame;
}

class ConcurrencyStress : public ::testing::Test {
  protected:
    void SetUp() override {
        hooks::Disarm();
        jobs_ = MakeJobs();
        for (const Job& job : jobs_) ASSERT_FALSE(job.frame.empty()) << job.layout->name;
        // Every frame runs on 8 threads whatever this machine has.
        hooks::ForceProcessorCount(8);
    }
    void TearDown() override { hooks::Disarm(); }
    std::vector<Job> jobs_;
};

// Threads with a handle each, threads sharing two handles, and handle-less threads, all
// at once; a handle that is shared serialises its callers.
TEST_F(ConcurrencyStress, ManyHandlesAndHandlelessCallsFromManyThreadsAtOnce) {
    const LiveCounts before = LiveCounts::Now();
    const int rounds = Scaled(6, 2);
    DVEncoderHandle* shared[2] = {DVNewEnc(), DVNewEnc()};
    ASSERT_NE(shared[0], nullptr);
    ASSERT_NE(shared[1], nullptr);
    std::atomic<int> mismatches{0};
    std::atomic<int> frames{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 10; ++t) {
        threads.emplace_back([&, t] {
            DVEncoderHandle* own = t < 4 ? DVNewEnc() : nullptr;
            DVEncoderHandle* handle = t < 4 ? own : t < 7 ? shared[t % 2] : nullptr;
            for (int r = 0; r < rounds; ++r) {
                const Job& job = jobs_[(t + 3 * r) % jobs_.size()];
                // Every third frame of a handle runs on the calling thread alone.
                const unsigned extra = (r % 3 == 1) ? DVENC_FLAG_SINGLE_THREAD : 0;
                if (!EncodesAsReference(handle, job, extra)) ++mismatches;
                ++frames;
            }
            DVDoneEnc(own);
        });
    }
    for (std::thread& thread : threads) thread.join();
    DVDoneEnc(shared[0]);
    DVDoneEnc(shared[1]);
    EXPECT_EQ(frames.load(), 10 * rounds);
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(LiveCounts::Now(), before);
}

// A handle's parked workers: an 8-thread frame starts 7, a single-thread frame leaves
// them parked, the next 8-thread frame wakes the same 7, and DVDoneEnc ends them. Several
// threads do this at once with handles of their own.
TEST_F(ConcurrencyStress, HandlesCreatedAndDestroyedInLoopsWithMixedThreadCounts) {
    const LiveCounts before = LiveCounts::Now();
    const int rounds = Scaled(8, 2);
    // Alone first, where the live counts belong to this one handle.
    for (int r = 0; r < 2; ++r) {
        DVEncoderHandle* handle = DVNewEnc();
        ASSERT_NE(handle, nullptr);
        const unsigned sequence[] = {0u, unsigned{DVENC_FLAG_SINGLE_THREAD}, 0u};
        for (unsigned extra : sequence) {
            EXPECT_TRUE(EncodesAsReference(handle, jobs_[r], extra));
            EXPECT_EQ(LiveCounts::Now().threads - before.threads, 7);
            EXPECT_EQ(LiveCounts::Now().events - before.events, 7 * 5);
        }
        DVDoneEnc(handle);
        EXPECT_EQ(LiveCounts::Now(), before);
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < rounds; ++r) {
                DVEncoderHandle* handle = DVNewEnc();
                if (!handle) {
                    ++mismatches;
                    continue;
                }
                for (unsigned extra : {0u, unsigned{DVENC_FLAG_SINGLE_THREAD}, 0u}) {
                    if (!EncodesAsReference(handle, jobs_[(t + r) % jobs_.size()], extra))
                        ++mismatches;
                }
                DVDoneEnc(handle);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(LiveCounts::Now(), before);
}

// Every reader in every mode gives the same frame on 1 to 16 threads, with one-shot
// workers and with the parked workers of a handle whose thread count goes up and down.
TEST(ReaderThreads, EveryLayoutAndModeEncodesAlikeOnOneToSixteenThreads) {
    hooks::Disarm();
    InitializeLibrary();
    const LiveCounts before = LiveCounts::Now();
    struct Mode {
        const char* name;
        int height;
        unsigned flags;
    };
    const Mode modes[] = {{"625/50 4:2:0", 576, 0},
                          {"625/50 4:1:1", 576, DVENC_FLAG_SMPTE314M},
                          {"525/60 4:1:1", 486, 0}};
    // Thread counts in an order that makes a handle both start and reuse workers.
    const int counts[] = {1, 16, 2, 9, 3, 15, 4, 12, 5, 6, 7, 8, 10, 11, 13, 14};
    // A thinner pass under the slow sanitizer builds: every count, but not for every layout.
    const int stride = Scaled(1, 4);
    EncoderHandle* handle = CreateEncoderHandle();
    ASSERT_NE(handle, nullptr);
    // The packed layouts, then the planar ones (one byte a luma sample, the chroma planes
    // after the luma plane: twice the luma plane's bytes hold any of them).
    std::vector<Layout> layouts(std::begin(kLayouts), std::end(kLayouts));
    for (const Layout& planar : {Layout{"I420", DVENC_FOURCC_I420, 1},
                                 Layout{"YV12", DVENC_FOURCC_YV12, 1},
                                 Layout{"Y41B", DVENC_FOURCC_Y41B, 1},
                                 Layout{"Y42B", DVENC_FOURCC_Y42B, 1}}) {
        layouts.push_back(planar);
    }
    int layoutIndex = 0;
    for (const Layout& layout : layouts) {
        const int lines = layout.bytesPerPixel == 1 ? 2 * 576 : 576;
        const Bytes picture = SeededPicture(layout.bytesPerPixel, lines, 0xC0FFEE + layoutIndex);
        for (const Mode& mode : modes) {
            const bool alphaToo = layout.fourcc == DVENC_FOURCC_BGRA ||
                                  layout.fourcc == DVENC_FOURCC_R32C ||
                                  layout.fourcc == DVENC_FOURCC_VUYA;
            for (unsigned alpha : {0u, unsigned{DVENC_FLAG_ALPHA_WEIGHT}}) {
                if (alpha && !alphaToo) continue;
                SCOPED_TRACE(std::string(layout.name) + " " + mode.name + (alpha ? " alpha" : ""));
                Bytes reference;
                int countIndex = 0;
                for (int threads : counts) {
                    const bool onHandle = countIndex++ % 2 == 1;
                    if (threads != 1 && (layoutIndex + threads) % stride != 0) continue;
                    FramePlan plan;
                    ASSERT_TRUE(PlanFrame(720, mode.height, 720 * layout.bytesPerPixel,
                                          mode.flags | alpha, layout.fourcc, &plan));
                    CDVEncoder* encoder = CDVEncoder::Create(onHandle ? handle : nullptr, plan);
                    ASSERT_NE(encoder, nullptr);
                    Bytes out(DVENC_MAX_FRAME_BYTES, 0);
                    const int size = EncodeFrameOnThreads(encoder->plan, *encoder->pool,
                                                          picture.data(), out.data(), threads);
                    delete encoder;
                    out.resize(size > 0 ? size : 0);
                    if (threads == 1) {
                        ASSERT_EQ(size, mode.height == 486 ? 120000 : 144000);
                        reference = out;
                    }
                    EXPECT_EQ(out, reference) << threads << " threads";
                }
            }
        }
        ++layoutIndex;
    }
    DestroyEncoderHandle(handle);
    EXPECT_EQ(LiveCounts::Now(), before);
}

}  // namespace
}  // namespace encdv::test
