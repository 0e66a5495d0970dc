#ifndef ENC_DV_PLATFORM_CPU_FEATURES_H
#define ENC_DV_PLATFORM_CPU_FEATURES_H

#include <cstdint>

namespace encdv {

constexpr uint32_t kFeatureSse2 = 0x2000;

// Processor feature bits: detected with CPUID, or taken from the CPUFeatures setting of
// section DVCODEC when that names a list. Read anew on every call.
uint32_t GetFeatureWord();

}  // namespace encdv

#endif
