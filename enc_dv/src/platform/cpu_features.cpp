#include "platform/cpu_features.h"

namespace encdv {

// Placeholder until detection lands.
uint32_t GetFeatureWord() { return 0x2007; }

}  // namespace encdv
