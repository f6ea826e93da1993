#include "exam/session/choice_layout.h"

#include <gtest/gtest.h>

namespace marvessa {
namespace {

TEST(ChoiceLayout, HalvesRoundToEven) {
  struct Case {
    double value;
    int rounded;
  };
  for (Case c : {Case{201.5, 202}, Case{202.5, 202}, Case{-0.5, 0}, Case{-1.5, -2}, Case{3.49, 3},
                 Case{3.51, 4}, Case{7.0, 7}})
    EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
}

TEST(ChoiceLayout, RowsStartCentredAndStepBySixPixels) {
  // 732 - 7 * 41 - 42 = 403: 201.5 rounds to 202; 734 gives 202.5, also 202.
  EXPECT_EQ(ChoiceButtonLefts(732, 41, 7, 42), (std::vector<int>{202, 249, 296, 343, 390, 437, 484}));
  EXPECT_EQ(ChoiceButtonLefts(734, 41, 7, 42).front(), 202);
  EXPECT_EQ(ChoiceButtonLefts(735, 150, 3, 12), (std::vector<int>{136, 292, 448}));
}

}  // namespace
}  // namespace marvessa
