#pragma once
// Placing the rows of exam choice buttons centred in the exam window.
#include <vector>

namespace marvessa {

// Nearest integer, halves to the even neighbour.
int RoundHalfEven(double value);

// Left edges of a row of `count` buttons of `width` pixels, 6 pixels apart,
// in a window of outer width W: the first at (W - count * width - margin) / 2
// rounded, halves to even. The row of seven round buttons takes margin 42,
// the row of three large buttons margin 12.
std::vector<int> ChoiceButtonLefts(int windowWidth, int width, int count, int margin);

}  // namespace marvessa
