#ifndef ENC_DV_BENCH_PEERS_STOPWATCH_H
#define ENC_DV_BENCH_PEERS_STOPWATCH_H

#include <chrono>

namespace encdv {
namespace bench {

// Wall-clock and whole-process CPU seconds of one encode call; wall < 0 marks a failure.
// CPU time counts every thread of the process, so CPU / wall shows how many cores a
// threaded encoder really kept busy.
struct EncodeTime {
    double wall = -1;
    double cpu = 0;
    bool Failed() const { return wall < 0; }
};

class Stopwatch {
  public:
    Stopwatch();
    EncodeTime Stop() const;

  private:
    std::chrono::steady_clock::time_point wallStart_;
    double cpuStart_;
};

}  // namespace bench
}  // namespace encdv

#endif
