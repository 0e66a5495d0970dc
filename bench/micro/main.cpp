// The micro-benchmarks time the kernels that InitDVEnc chooses for this processor.
#include <benchmark/benchmark.h>

#include "api/initialization.h"

int main(int argc, char** argv) {
    encdv::InitializeLibrary();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
