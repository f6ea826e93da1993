#include "exam/data/random_generator.h"

#include <set>

namespace marvessa {

void TRandomGenerator::SeedFrom(const QDateTime& utc) {
  QTime t = utc.toUTC().time();
  seed_ = static_cast<uint32_t>(((t.hour() * 60 + t.minute()) * 60 + t.second()) * 1000 + t.msec());
}

uint32_t TRandomGenerator::Draw(uint32_t n) {
  seed_ = seed_ * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(seed_) * n) >> 32);
}

std::vector<int32_t> DrawOrder(const std::vector<int32_t>& candidates, int count, TRandomGenerator& random) {
  // The unfilled positions of the order count as chosen value 0, so a
  // candidate 0 is never taken; leave it out of the distinct count.
  std::set<int32_t> distinct(candidates.begin(), candidates.end());
  distinct.erase(0);
  if (count > static_cast<int>(distinct.size())) count = static_cast<int>(distinct.size());
  if (count < 0) count = 0;
  std::vector<int32_t> order(static_cast<size_t>(count), 0);
  std::set<int32_t> chosen{0};
  const auto n = static_cast<uint32_t>(candidates.size());
  for (auto& slot : order) {
    int32_t v;
    do {
      v = candidates[random.Draw(n)];
    } while (chosen.count(v) != 0);
    chosen.insert(v);
    slot = v;
  }
  return order;
}

}  // namespace marvessa
