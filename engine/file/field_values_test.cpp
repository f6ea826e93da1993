#include "engine/file/field_values.h"

#include <gtest/gtest.h>

#include "engine/file/bcd.h"
#include "engine/file/le.h"

namespace isam {
namespace {

TEST(FieldValuesTest, DayNumbersRoundTripAndMatchKnownDays) {
  EXPECT_EQ(DayNumber(1, 1, 1), 1);
  EXPECT_EQ(DayNumber(1899, 12, 30), 693594);
  EXPECT_EQ(DayNumber(1970, 1, 1), 719163);
  for (int32_t d : {1, 59, 60, 365, 366, 693594, 719163, 730180, 3652059}) {
    int y, m, day;
    CivilFromDayNumber(d, &y, &m, &day);
    EXPECT_EQ(DayNumber(y, m, day), d) << d;
  }
  int y, m, d;
  CivilFromDayNumber(DayNumber(2000, 2, 29), &y, &m, &d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20000229);
}

TEST(FieldValuesTest, BcdCarriesItsScaleInTheLastDigit) {
  EXPECT_EQ(EncodeBcd(12.5, 2), 12502);
  EXPECT_EQ(EncodeBcd(-3.1, 1), -311);
  EXPECT_EQ(EncodeBcd(13, 0), 130);
  EXPECT_DOUBLE_EQ(DecodeBcd(12502), 12.5);
  EXPECT_DOUBLE_EQ(DecodeBcd(-311), -3.1);
}

TEST(FieldValuesTest, ValueTextsParseInTheFixedFormats) {
  TFieldDesc date;
  date.type = kFieldDate;
  date.storedSize = 4;
  uint8_t data[8];
  std::string error;
  ASSERT_TRUE(EncodeValueText(date, "2/29/2024", data, &error));
  EXPECT_EQ(GetI32(data), DayNumber(2024, 2, 29));
  EXPECT_FALSE(EncodeValueText(date, "2/30/2024", data, &error));

  TFieldDesc time;
  time.type = kFieldTime;
  time.storedSize = 4;
  ASSERT_TRUE(EncodeValueText(time, "1:05:30 PM", data, &error));
  EXPECT_EQ(GetI32(data), (13 * 3600 + 5 * 60 + 30) * 1000);

  TFieldDesc flag;
  flag.type = kFieldBoolean;
  flag.storedSize = 2;
  ASSERT_TRUE(EncodeValueText(flag, "true", data, &error));
  EXPECT_EQ(GetU16(data), 1);
  EXPECT_FALSE(EncodeValueText(flag, "maybe", data, &error));
  EXPECT_EQ(error, "'maybe' is not a valid boolean value");

  TFieldDesc small;
  small.type = kFieldInt16;
  small.storedSize = 2;
  EXPECT_FALSE(EncodeValueText(small, "40000", data, &error));
  ASSERT_TRUE(EncodeValueText(small, "-1,200", data, &error));
  EXPECT_EQ(GetI16(data), -1200);

  // A field without data bytes (type code 0) takes no value and writes nothing.
  TFieldDesc empty;
  EXPECT_FALSE(EncodeValueText(empty, "0", nullptr, &error));
  EXPECT_EQ(error, "'0' cannot be converted for this field");
}

}  // namespace
}  // namespace isam
