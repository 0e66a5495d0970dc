#ifndef ENC_DV_TESTS_SUPPORT_KERNEL_FEATURES_H
#define ENC_DV_TESTS_SUPPORT_KERNEL_FEATURES_H

// The feature words under which a twin test runs a family's vector kernels: one per
// instruction set that the build contains and this processor runs, each with the sets below
// it (SSE2; SSE2 and AVX2; NEON), so that every instruction set's kernels meet their twins
// on a processor that has several. Header-only: for the tests of the stages, which link the
// platform archive.

#include <cstdint>
#include <vector>

#include "platform/cpu_features.h"

namespace encdv::test {

struct KernelFeatures {
    const char* name;
    uint32_t features;
};

inline std::vector<KernelFeatures> VectorKernelFeatures() {
    const uint32_t detected = GetFeatureWord();
    std::vector<KernelFeatures> sets;
    if (ENC_DV_SSE2_KERNELS && (detected & kFeatureSse2)) {
        sets.push_back({"SSE2", kFeatureValid | kFeatureSse2});
    }
    if (ENC_DV_AVX2_KERNELS && (detected & kFeatureAvx2)) {
        sets.push_back({"AVX2", kFeatureValid | kFeatureSse2 | kFeatureAvx2});
    }
    if (ENC_DV_NEON_KERNELS && (detected & kFeatureNeon)) {
        sets.push_back({"NEON", kFeatureValid | kFeatureNeon});
    }
    return sets;
}

}  // namespace encdv::test

#endif
