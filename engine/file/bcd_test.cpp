#include "engine/file/bcd.h"

#include <gtest/gtest.h>

namespace isam {
namespace {

// The largest digits at scale s, as text: 922337203685477580 with the point s from the right.
std::string Extreme(int scale, bool negative) {
  std::string text = std::to_string(kMaxBcdDigits);
  if (scale > 0) text.insert(text.size() - scale, ".");
  return (negative ? "-" : "") + text;
}

TEST(BcdTest, TheExtremesOfTheRangeConvertExactlyAtEveryScale) {
  for (uint8_t scale = 0; scale <= kMaxBcdScale; ++scale) {
    for (bool negative : {false, true}) {
      SCOPED_TRACE(Extreme(scale, negative));
      const int64_t stored = (negative ? -1 : 1) * (kMaxBcdDigits * 10 + scale);
      EXPECT_EQ(ParseBcd(Extreme(scale, negative), scale), stored);
      EXPECT_EQ(FormatBcd(stored, scale), Extreme(scale, negative));
      // One unit further is outside the range.
      std::string beyond = Extreme(scale, negative);
      beyond.back() = '1';
      EXPECT_EQ(ParseBcd(beyond, scale), std::nullopt);
    }
  }
  // Seen wrong through a double: the digits beyond 2^53 were rounded.
  EXPECT_EQ(ParseBcd("-92233720368547.75", 2), -92233720368547752);
  EXPECT_EQ(EncodeBcd(-92233720368547.75, 2), -92233720368547752);
  EXPECT_EQ(FormatBcdShort(-92233720368547752), "-92233720368547.75");
  EXPECT_EQ(DecodeBcd(-92233720368547752), -92233720368547.75);
  // The most negative 64-bit pattern (a damaged file) still formats.
  EXPECT_EQ(FormatBcd(INT64_MIN, 2), "-9223372036.85");
}

TEST(BcdTest, TextsRoundHalfAwayFromZeroToTheScale) {
  struct Case {
    const char* text;
    uint8_t scale;
    std::optional<int64_t> stored;
  } cases[] = {
      {"12.5", 2, 12502},        {"-3.1", 1, -311},     {"12.345", 2, 12352},   {"-12.345", 2, -12352},
      {"12.344999", 2, 12342},   {"0.5", 0, 10},        {"0.049", 1, 1},        {"-0.004", 2, 2},
      {" 1,234.5 ", 1, 123451},  {"1.5e3", 0, 15000},   {"25E-1", 0, 30},       {"+7", 0, 70},
      {"12", 6, 1200004},        {".5", 1, 51},         {"5.", 0, 50},          {"1e-400", 2, 2},
      {"", 2, std::nullopt},     {"-", 2, std::nullopt}, {"1.2.3", 2, std::nullopt}, {"abc", 0, std::nullopt},
      {"1e", 0, std::nullopt},   {"0x10", 0, std::nullopt}, {"1e400", 0, std::nullopt}, {"12 3", 0, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseBcd(c.text, c.scale), c.stored) << "'" << c.text << "'";
  EXPECT_EQ(EncodeBcd(1e300, 0), std::nullopt);
  EXPECT_EQ(FormatBcd(12502, 2), "12.50");
  EXPECT_EQ(FormatBcd(51, 1), "0.5");
  EXPECT_EQ(FormatBcd(12502, 4), "12.5000");
  EXPECT_EQ(FormatBcdShort(12502), "12.5");
  EXPECT_EQ(FormatBcdShort(13002), "13");
  EXPECT_EQ(FormatBcdShort(130), "13");
}

TEST(BcdTest, ComparisonIsExactAcrossScales) {
  const int64_t top = kMaxBcdDigits * 10 + 2;
  EXPECT_EQ(CompareBcd(top, top - 10), 1);  // a double holds both as the same number
  EXPECT_EQ(CompareBcd(-top, -(top - 10)), -1);
  EXPECT_EQ(CompareBcd(12502, 1251), 0);  // 12.50 and 12.5
  EXPECT_EQ(CompareBcd(-311, 2), -1);
}

}  // namespace
}  // namespace isam
