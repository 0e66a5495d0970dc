// Timing of encode calls: steady wall clock and the process's CPU clock.
#include "stopwatch.h"

#include <ctime>

namespace encdv {
namespace bench {
namespace {

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

}  // namespace

Stopwatch::Stopwatch()
    : wallStart_(std::chrono::steady_clock::now()), cpuStart_(ProcessCpuSeconds()) {}

EncodeTime Stopwatch::Stop() const {
    const double cpu = ProcessCpuSeconds() - cpuStart_;
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallStart_;
    return {wall.count(), cpu};
}

}  // namespace bench
}  // namespace encdv
