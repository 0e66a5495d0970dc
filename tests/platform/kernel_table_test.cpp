#include "platform/kernel_table.h"

#include <gtest/gtest.h>

namespace encdv {
namespace {

// A family's table that records what filled it.
struct RecordingTable {
    uint32_t features;
    int fills;
};

void FillRecording(uint32_t features, RecordingTable& table) {
    table.features = features;
    table.fills = table.fills + 1;
}

// Before the selection (the library's load until InitDVEnc) the table already holds what
// features 0 give, the portable kernels; the selection refills it from the features given.
TEST(LibraryKernels, HoldsThePortableKernelsUntilSelectedThenTheSelectedOnes) {
    static LibraryKernels<RecordingTable, FillRecording> library;  // zeroed, then constructed
    EXPECT_EQ(library.Get().fills, 1);
    EXPECT_EQ(library.Get().features, 0u);
    library.Select(kFeatureValid | kFeatureSse2);
    EXPECT_EQ(library.Get().fills, 2);
    EXPECT_EQ(library.Get().features, kFeatureValid | kFeatureSse2);
}

}  // namespace
}  // namespace encdv
