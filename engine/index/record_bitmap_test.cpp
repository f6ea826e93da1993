#include "engine/index/record_bitmap.h"

#include <gtest/gtest.h>

namespace isam {
namespace {

TEST(RecordBitmapTest, WalksSetBitsBothWaysAcrossWordEdges) {
  TRecordBitmap bitmap(200);
  for (uint32_t n : {1u, 63u, 64u, 65u, 128u, 200u}) bitmap.Set(n);
  std::vector<uint32_t> forward, backward;
  for (uint32_t n = bitmap.NextSet(0); n; n = bitmap.NextSet(n)) forward.push_back(n);
  for (uint32_t n = bitmap.PrevSet(0); n; n = bitmap.PrevSet(n)) backward.push_back(n);
  EXPECT_EQ(forward, (std::vector<uint32_t>{1, 63, 64, 65, 128, 200}));
  EXPECT_EQ(backward, (std::vector<uint32_t>{200, 128, 65, 64, 63, 1}));
  EXPECT_EQ(bitmap.Count(), 6u);
}

TEST(RecordBitmapTest, InvertAndGrowKeepBitsBeyondTheSlotCountClear) {
  TRecordBitmap bitmap(70);
  bitmap.Set(3);
  bitmap.Invert();
  EXPECT_EQ(bitmap.Count(), 69u);
  EXPECT_FALSE(bitmap.Test(3));
  bitmap.Resize(130, false);
  EXPECT_EQ(bitmap.Count(), 69u);
  EXPECT_FALSE(bitmap.Test(71));
  bitmap.Resize(140, true);
  EXPECT_TRUE(bitmap.Test(135));
  EXPECT_EQ(bitmap.Count(), 79u);
  EXPECT_FALSE(bitmap.Test(0));
  EXPECT_FALSE(bitmap.Test(141));
}

}  // namespace
}  // namespace isam
