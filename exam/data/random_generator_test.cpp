#include "exam/data/random_generator.h"

#include <gtest/gtest.h>

#include <numeric>

namespace marvessa {
namespace {

TEST(RandomGenerator, DrawsFromSeed1000) {
  TRandomGenerator random;
  random.SetSeed(1000);
  const uint32_t draws[] = {3, 6, 3, 5, 0};
  const uint32_t seeds[] = {1631826825u, 3006080430u, 1690268775u, 2331664900u, 26081813u};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(random.Draw(10), draws[i]) << i;
    EXPECT_EQ(random.Seed(), seeds[i]) << i;
  }
}

TEST(RandomGenerator, SeedIsMillisecondsSinceUtcMidnight) {
  TRandomGenerator random;
  random.SeedFrom(QDateTime(QDate(2026, 12, 10), QTime(14, 6, 30, 250), Qt::UTC));
  EXPECT_EQ(random.Seed(), ((14u * 60 + 6) * 60 + 30) * 1000 + 250);
  // The same instant given in another zone seeds the same.
  random.SeedFrom(QDateTime(QDate(2026, 12, 10), QTime(16, 6, 30, 250), Qt::OffsetFromUTC, 7200));
  EXPECT_EQ(random.Seed(), ((14u * 60 + 6) * 60 + 30) * 1000 + 250);
}

TEST(RandomGenerator, OrderFromSeed1000TakesCandidates3And6And5) {
  std::vector<int32_t> candidates(10);
  std::iota(candidates.begin(), candidates.end(), 101);  // 101 .. 110
  TRandomGenerator random;
  random.SetSeed(1000);
  std::vector<int32_t> order = DrawOrder(candidates, 3, random);
  EXPECT_EQ(order, (std::vector<int32_t>{104, 107, 106}));
}

// The drawing as first written: every draw is compared with the whole order
// list, unfilled (0) entries included.
std::vector<int32_t> ScanOrder(const std::vector<int32_t>& candidates, int count, TRandomGenerator& random) {
  std::vector<int32_t> order(static_cast<size_t>(count), 0);
  for (auto& slot : order) {
    for (;;) {
      int32_t v = candidates[random.Draw(static_cast<uint32_t>(candidates.size()))];
      bool taken = false;
      for (int32_t o : order) taken = taken || o == v;
      if (!taken) {
        slot = v;
        break;
      }
    }
  }
  return order;
}

TEST(RandomGenerator, OrderEqualsTheScanOfTheOrderList) {
  // Bank-like lists (1 .. n) and user-set-like lists with gaps.
  std::vector<std::vector<int32_t>> lists = {{1}, {1, 2}, {}, {5, 9, 10, 11, 40, 41, 77}};
  lists.emplace_back(30);
  std::iota(lists.back().begin(), lists.back().end(), 61);
  lists.emplace_back(210);
  std::iota(lists.back().begin(), lists.back().end(), 1);
  for (const auto& list : lists) {
    for (uint32_t seed : {0u, 1u, 1000u, 86399999u, 4294967295u, 123456789u}) {
      for (int count : {static_cast<int>(list.size()), static_cast<int>(list.size()) / 2, 1}) {
        if (count > static_cast<int>(list.size())) continue;
        TRandomGenerator a, b;
        a.SetSeed(seed);
        b.SetSeed(seed);
        ASSERT_EQ(DrawOrder(list, count, a), ScanOrder(list, count, b)) << "seed " << seed << " n " << list.size();
        EXPECT_EQ(a.Seed(), b.Seed());
      }
    }
  }
}

TEST(RandomGenerator, AskingForMoreThanTheDistinctCandidatesEnds) {
  TRandomGenerator random;
  random.SetSeed(7);
  EXPECT_EQ(DrawOrder({3, 3, 4}, 3, random).size(), 2u);
  EXPECT_EQ(DrawOrder({1, 2}, 5, random).size(), 2u);
  EXPECT_TRUE(DrawOrder({}, 4, random).empty());
}

}  // namespace
}  // namespace marvessa
