// The benchmarks time the kernels that InitDVEnc chooses for this processor.
#include "api/initialization.h"

namespace {

const bool kInitialized = (encdv::InitializeLibrary(), true);

}  // namespace
