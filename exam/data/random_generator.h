#pragma once
// The program's own random generator, so that an order drawn from a known
// seed is the same on every machine: a draw below n steps the seed as
// seed := seed * 134775813 + 1 (mod 2^32) and yields the upper 32 bits of
// the 64-bit product seed * n.
#include <cstdint>
#include <vector>

#include <QDateTime>

namespace marvessa {

class TRandomGenerator {
 public:
  uint32_t Seed() const { return seed_; }
  void SetSeed(uint32_t seed) { seed_ = seed; }
  // Milliseconds since midnight of the given UTC time.
  void SeedFrom(const QDateTime& utc);
  // A number from 0 to n - 1 (0 when n is 0).
  uint32_t Draw(uint32_t n);

 private:
  uint32_t seed_ = 0;
};

// The order in which `count` distinct candidates are asked: each position
// draws an index below candidates.size() and draws again while the value
// there is already in the order. count is limited to the number of distinct
// candidates, so that the drawing always ends.
std::vector<int32_t> DrawOrder(const std::vector<int32_t>& candidates, int count, TRandomGenerator& random);

}  // namespace marvessa
