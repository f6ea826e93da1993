#pragma once
// File names, passwords, field and index names are length-prefixed strings of
// at most 255 bytes inside the engine; longer texts are cut.
#include <string>
#include <string_view>

namespace isam {

constexpr size_t kShortStringMax = 255;

inline std::string ShortString(std::string_view text) {
  return std::string(text.substr(0, kShortStringMax));
}

}  // namespace isam
