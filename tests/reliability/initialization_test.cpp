// The one-time initialisation raced by threads released together: every thread whose call
// returns sees the whole of what it builds, and it is built once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "api/initialization.h"
#include "coding/quantizer.h"
#include "input/input_kernels.h"
#include "platform/cpu_features.h"
#include "reliability/reliability_support.h"
#include "transform/forward_dct.h"
#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

// The first thread to return leaves this mark in the flowgraph's rounding lanes, which only
// a second build would overwrite; no other thread reads those lanes.
constexpr int16_t kMark = 0x5A5A;
constexpr size_t kFlowgraphBytes = offsetof(DctVectorConstants, one);

// A copy of everything the initialisation builds or chooses, but the rounding lanes.
struct LibraryTables {
    OutputScaleTable scale[2];
    uint8_t flowgraph[kFlowgraphBytes];
    TransformKernels transform;
    QuantizerKernels quantizer;
    InputKernels input;

    // Calls visit(copy, library's, bytes) for every piece, while it returns true.
    template <typename Visit>
    bool Pieces(Visit visit) {
        return visit(&scale[0], &GetOutputScaleTable(0), sizeof scale[0]) &&
               visit(&scale[1], &GetOutputScaleTable(1), sizeof scale[1]) &&
               visit(flowgraph, &GetDctVectorConstants(), sizeof flowgraph) &&
               visit(&transform, &GetTransformKernels(), sizeof transform) &&
               visit(&quantizer, &GetQuantizerKernels(), sizeof quantizer) &&
               visit(&input, &GetInputKernels(), sizeof input);
    }
    void Take() {
        std::memset(this, 0, sizeof *this);  // padding too, so that copies compare whole
        Pieces([](void* copy, const void* library, size_t bytes) {
            std::memcpy(copy, library, bytes);
            return true;
        });
    }
    // Whether the library's tables still equal the copy.
    bool Live() {
        return Pieces([](void* copy, const void* library, size_t bytes) {
            return std::memcmp(copy, library, bytes) == 0;
        });
    }
    bool operator==(const LibraryTables& other) const {
        return std::memcmp(this, &other, sizeof *this) == 0;
    }
};

// Whether a copy holds everything built: no zero multiplier (the tables start out all zero),
// the flowgraph constants, and the kernels chosen for the features.
bool Complete(const LibraryTables& t, uint32_t features) {
    for (const OutputScaleTable& table : t.scale) {
        for (const int16_t m : table.multiplier) {
            if (m == 0) return false;
        }
    }
    DctVectorConstants flowgraph;
    std::memcpy(&flowgraph, t.flowgraph, sizeof t.flowgraph);
    if (flowgraph.tan2[0] != 27146 || flowgraph.secant2[7] != 17734) return false;
    LibraryTables expected;
    std::memset(&expected, 0, sizeof expected);
    InitTransformKernels(features, expected.transform);
    InitQuantizerKernels(features, expected.quantizer);
    InitInputKernels(features, expected.input);
    return std::memcmp(&t.transform, &expected.transform, sizeof t.transform) == 0 &&
           std::memcmp(&t.quantizer, &expected.quantizer, sizeof t.quantizer) == 0 &&
           std::memcmp(&t.input, &expected.input, sizeof t.input) == 0;
}

// What a race found; the first fault seen wins.
enum Outcome {
    kAllWell,
    kIncompleteOnReturn,  // a thread's call returned before the tables were complete
    kBuiltAgain,          // the tables were built again after a call had returned
    kOutcomes
};
const char* const kOutcomeNames[kOutcomes + 1] = {
    "all well", "incomplete on return", "built again",
    "ended otherwise (a crash, a hang or a sanitizer report)"};

// Threads wait at a gate and enter together; each, once its call returns, copies the tables
// and keeps comparing them with its copy until every thread has returned, watching the calls
// still running. Runs in a process where nothing is initialised yet.
Outcome Race() {
    const uint32_t features = GetFeatureWord();  // what the build will read
    constexpr int kThreads = 8;
    std::atomic<int> waiting{0};
    std::atomic<int> returned{0};
    std::atomic<bool> open{false};
    std::atomic<bool> marked{false};
    bool roundingComplete = true;  // written by the first thread to return only
    std::vector<LibraryTables> first(kThreads);
    std::vector<int> changes(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ++waiting;
            while (!open.load()) std::this_thread::yield();
            InitializeLibrary();
            if (!marked.exchange(true)) {
                for (const int16_t lane : dctVectorConstants.one) roundingComplete &= lane == 1;
                dctVectorConstants.one[7] = kMark;
            }
            first[t].Take();
            ++returned;
            do {
                if (!first[t].Live()) ++changes[t];
            } while (returned.load() < kThreads);
        });
    }
    while (waiting.load() < kThreads) std::this_thread::yield();
    open = true;
    for (std::thread& thread : threads) thread.join();
    // A later call, with a setting that would choose other kernels (on x86 builds with
    // vector kernels).
    setenv("DVCODEC_CPUFEATURES", "mmx", 1);
    InitializeLibrary();
    LibraryTables final;
    final.Take();

    if (!roundingComplete) return kIncompleteOnReturn;
    for (const LibraryTables& copy : first) {
        if (!Complete(copy, features)) return kIncompleteOnReturn;
    }
    if (dctVectorConstants.one[7] != kMark) return kBuiltAgain;
    for (int t = 0; t < kThreads; ++t) {
        if (changes[t] != 0 || !(first[t] == final)) return kBuiltAgain;
    }
    return kAllWell;
}

// Each round races in a child process of its own, where the library starts uninitialised; a
// fault in the lock or the done flag shows in many rounds, if not in every one.
TEST(Initialization, ThreadsReleasedTogetherSeeCompleteTablesBuiltOnce) {
    if (GetOutputScaleTable(0).multiplier[0] != 0) {
        GTEST_SKIP() << "the library is already initialised in this process; run this test "
                        "alone (ctest runs each test in a process of its own)";
    }
    const int rounds = test::ShortRun() ? 16 : 32;
    int counts[kOutcomes + 1] = {};
    for (int r = 0; r < rounds; ++r) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(20);  // a child that hangs on the lock is killed and counted
            _exit(Race());
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : kOutcomes;
        ++counts[code < kOutcomes ? code : kOutcomes];
        if (code >= kOutcomes) break;  // the other rounds would hang as long
    }
    for (int o = 1; o <= kOutcomes; ++o) {
        EXPECT_EQ(counts[o], 0) << kOutcomeNames[o] << " in " << counts[o] << " of " << rounds
                                << " rounds";
    }
}

}  // namespace
}  // namespace encdv
