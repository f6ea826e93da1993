#include "engine/text/names.h"

#include <gtest/gtest.h>

namespace isam {
namespace {

TEST(SameNameTest, LettersOfTheCodePageMatchTheirOtherCase) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Q_ID", "q_id", true},
      {"ByName", "BYNAME", true},
      {"\xC4RGER", "\xE4rger", true},   // Ä / ä
      {"\x8A" "A", "\x9A" "a", true},   // Š / š
      {"\x9F", "\xFF", true},           // Ÿ / ÿ
      {"\xD7", "\xF7", false},          // × and ÷ are no letters
      {"\xC0", "A", false},             // an accent counts
      {"NAME", "NAME ", false},
      {"[", "{", false},                // neighbours of the ASCII letters
      {"", "", true},
  };
  for (const Case& c : cases) EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace isam
