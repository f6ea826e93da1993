#include "engine/text/cp1252.h"

#include <gtest/gtest.h>

namespace isam {
namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const auto back = Utf8ToCp1252(Cp1252ToUtf8(all));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(Cp1252, HighBlockMapsAsWindowsDoes) {
  struct Case {
    unsigned char byte;
    const char* utf8;
  };
  const Case cases[] = {
      {0x80, "\u20AC"}, {0x85, "\u2026"}, {0x93, "\u201C"}, {0x94, "\u201D"}, {0x96, "\u2013"},
      {0x9F, "\u0178"}, {0x81, "\xC2\x81"}, {0x9D, "\xC2\x9D"}, {0xA0, "\u00A0"}, {0xE9, "\u00E9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(Cp1252ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8);
    EXPECT_EQ(Utf8ToCp1252(c.utf8), std::string(1, static_cast<char>(c.byte)));
  }
}

TEST(Cp1252, RefusesUnmappableAndMalformedInput) {
  const char* cases[] = {
      "\u0100",              // Latin A with macron: not in the code page
      "ok \u2192 arrow",     // an arrow inside otherwise plain text
      "\U0001F600",          // outside the BMP
      "\xC2\x80",            // U+0080: the byte 0x80 is the euro sign, not this control
      "\xC3",                // truncated sequence
      "\xE2\x82",            // truncated in the middle
      "\xC0\xAF",            // overlong slash
      "\xED\xA0\x80",        // UTF-16 surrogate
      "\xF4\x90\x80\x80",    // above U+10FFFF
      "\x80",                // lone continuation byte
      "\xFF",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    EXPECT_FALSE(Utf8ToCp1252(c).has_value());
  }
}

TEST(Cp1252, PlainAsciiIsUnchanged) {
  const std::string text = "Q_EXAM_N<>0 \"quoted\"\r\n\ttab";
  EXPECT_EQ(Cp1252ToUtf8(text), text);
  EXPECT_EQ(Utf8ToCp1252(text), text);
  EXPECT_EQ(Utf8ToCp1252(""), "");
}

}  // namespace
}  // namespace isam
