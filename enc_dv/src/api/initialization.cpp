// One-time initialisation of the process-wide tables under a spin lock and a done flag.
#include "api/initialization.h"

#include "coding/quantizer.h"
#include "coding/rd_kernels.h"
#include "input/input_kernels.h"
#include "platform/cpu_features.h"
#include "platform/processor.h"
#include "platform/spin_pause.h"
#include "transform/forward_dct.h"
#include "transform/transform_kernels.h"
#include "transform/transform_tables.h"

namespace encdv {
namespace {

platform::SharedWord initialized = 0;
platform::SharedWord spinLock = 0;

}  // namespace

void InitializeLibrary() {
    if (platform::LoadWord(&initialized)) return;
    while (platform::ExchangeWord(&spinLock, 1) != 0) {
        while (platform::LoadWord(&spinLock) != 0) platform::PauseProcessor();
    }
    if (!platform::LoadWord(&initialized)) {
        BuildTransformTables();
        InitDctVectorConstants();
        // The kernel tables, once: the vector kernels only where the features allow them.
        const uint32_t features = GetFeatureWord();
        SelectTransformKernels(features);
        SelectQuantizerKernels(features);
        SelectRdKernels(features);
        SelectInputKernels(features);
        // Set only once everything is built: readers of the flag use the tables at once.
        platform::ExchangeWord(&initialized, 1);
    }
    platform::ExchangeWord(&spinLock, 0);
}

}  // namespace encdv
