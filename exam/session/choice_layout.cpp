#include "exam/session/choice_layout.h"

#include <cmath>

namespace marvessa {

int RoundHalfEven(double value) {
  double whole = std::floor(value);
  double fraction = value - whole;
  if (fraction > 0.5) return static_cast<int>(whole) + 1;
  if (fraction < 0.5) return static_cast<int>(whole);
  int w = static_cast<int>(whole);
  return (w % 2 == 0) ? w : w + 1;
}

std::vector<int> ChoiceButtonLefts(int windowWidth, int width, int count, int margin) {
  std::vector<int> lefts;
  int left = RoundHalfEven((windowWidth - count * width - margin) / 2.0);
  for (int i = 0; i < count; ++i) {
    lefts.push_back(left);
    left += width + 6;
  }
  return lefts;
}

}  // namespace marvessa
