#include <gtest/gtest.h>

#include <vector>

#include "enc_dv.h"

namespace {

TEST(EncoderHandle, NullIsIgnoredAndUnusedHandlesOnlyFreeMemory) {
    DVDoneEnc(nullptr);
    // Many handles alive at once, destroyed in another order than created; the
    // sanitizer builds report any leak or double free.
    std::vector<DVEncoderHandle*> handles;
    for (int i = 0; i < 32; ++i) {
        handles.push_back(DVNewEnc());
        ASSERT_NE(handles.back(), nullptr);
    }
    for (size_t i = 0; i < handles.size(); i += 2) DVDoneEnc(handles[i]);
    for (size_t i = 1; i < handles.size(); i += 2) DVDoneEnc(handles[i]);
}

}  // namespace
