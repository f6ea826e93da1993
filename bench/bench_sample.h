#pragma once
// One timed run of a workload and what it read, and the median of several.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace bench {

struct TSample {
  double seconds = 0;
  uint64_t pages = 0;    // index pages read from disk (ours only)
  uint64_t records = 0;  // record images read from the data file (ours only)
  uint64_t result = 0;   // a count or checksum both engines must agree on
  uint64_t estimatedFrom = 0;  // not 0: the time was scaled up from this many operations
};

class TStopwatch {
 public:
  TStopwatch() : start_(std::chrono::steady_clock::now()) {}
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// The run with the median time (the lower middle one for an even count).
inline TSample Median(std::vector<TSample> runs) {
  std::sort(runs.begin(), runs.end(), [](const TSample& a, const TSample& b) { return a.seconds < b.seconds; });
  return runs[(runs.size() - 1) / 2];
}

}  // namespace bench
