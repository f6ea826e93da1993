#pragma once
// One timed run of a workload and what it read, and the median of several.
#include <algorithm>
#include <time.h>
#include <cstdint>
#include <vector>

namespace bench {

struct TSample {
  double seconds = 0;
  uint64_t pages = 0;    // index pages read from disk (ours only)
  uint64_t records = 0;  // record images read from the data file (ours only)
  uint64_t result = 0;   // a count or checksum both engines must agree on
};

// Wall-clock time, or with UseCpuTime the process's CPU time (user and
// system), which other programs on a busy machine disturb much less; both
// engines run in this one thread and read files the system has cached.
class TStopwatch {
 public:
  static void UseCpuTime(bool on) { cpu_ = on; }
  TStopwatch() : start_(Now()) {}
  double Seconds() const { return Now() - start_; }

 private:
  static double Now() {
    timespec t{};
    clock_gettime(cpu_ ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
  }
  static inline bool cpu_ = false;
  double start_;
};

// The run with the median time (the lower middle one for an even count).
inline TSample Median(std::vector<TSample> runs) {
  std::sort(runs.begin(), runs.end(), [](const TSample& a, const TSample& b) { return a.seconds < b.seconds; });
  return runs[(runs.size() - 1) / 2];
}

}  // namespace bench
