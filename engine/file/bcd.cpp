#include "engine/file/bcd.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace isam {
namespace {

using Wide = unsigned __int128;

struct Decoded {
  bool negative;
  uint64_t digits;
  int scale;  // the stored scale digit, 0..9
};

Decoded Decode(int64_t stored) {
  // Through unsigned arithmetic, so that the most negative value has a magnitude too.
  uint64_t magnitude = stored < 0 ? 0 - static_cast<uint64_t>(stored) : static_cast<uint64_t>(stored);
  return {stored < 0, magnitude / 10, static_cast<int>(magnitude % 10)};
}

Wide PowerOfTen(int n) {
  Wide p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<int64_t> ParseBcd(std::string_view text, uint8_t scale) {
  if (scale > kMaxBcdScale) scale = kMaxBcdScale;
  text = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';

  // The mantissa's significant digits, and the power of ten they stand at.
  std::string digits;
  int exponent = 0;
  bool anyDigit = false, point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      anyDigit = true;
      if (!digits.empty() || c != '0') digits += c;
      if (point) --exponent;
    } else if (c == '.' && !point) {
      point = true;
    } else if (c == ',' && !point) {
      continue;
    } else {
      break;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool down = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) down = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    int written = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      written = std::min(written * 10 + (text[i] - '0'), 100000);
    exponent += down ? -written : written;
  }
  if (i != text.size()) return std::nullopt;

  // Bring the digits to the scale: zeros appended, or digits cut and rounded.
  const int shift = exponent + scale;
  Wide value = 0;
  if (shift >= 0) {
    if (!digits.empty() && digits.size() + shift > 19) return std::nullopt;
    for (char c : digits) value = value * 10 + (c - '0');
    value *= PowerOfTen(digits.empty() ? 0 : shift);
  } else {
    const size_t cut = static_cast<size_t>(-static_cast<int64_t>(shift));
    const size_t kept = digits.size() > cut ? digits.size() - cut : 0;
    if (kept > 19) return std::nullopt;
    for (size_t k = 0; k < kept; ++k) value = value * 10 + (digits[k] - '0');
    if (kept < digits.size() && digits.size() - kept == cut && digits[kept] >= '5') ++value;
  }
  if (value > static_cast<Wide>(kMaxBcdDigits)) return std::nullopt;
  const int64_t stored = static_cast<int64_t>(value) * 10 + scale;
  return negative && value != 0 ? -stored : stored;
}

std::string FormatBcd(int64_t stored, int places) {
  places = std::clamp(places, 0, 9);
  Decoded d = Decode(stored);
  Wide digits = d.digits;
  if (d.scale < places) digits *= PowerOfTen(places - d.scale);
  if (d.scale > places) digits /= PowerOfTen(d.scale - places);
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(digits % 10)));
    digits /= 10;
  } while (digits != 0);
  if (places > 0) {
    if (text.size() <= static_cast<size_t>(places)) text.insert(0, places + 1 - text.size(), '0');
    text.insert(text.size() - places, ".");
  }
  return (d.negative ? "-" : "") + text;
}

std::string FormatBcdShort(int64_t stored) {
  std::string text = FormatBcd(stored, Decode(stored).scale);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::optional<int64_t> EncodeBcd(double value, uint8_t scale) {
  if (!std::isfinite(value)) return std::nullopt;
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  return ParseBcd(std::string_view(text, result.ptr - text), scale);
}

double DecodeBcd(int64_t stored) {
  // from_chars rounds correctly and, unlike strtod, ignores the C locale.
  const std::string text = FormatBcd(stored, Decode(stored).scale);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

int CompareBcd(int64_t a, int64_t b) {
  // Both at scale 9, the largest a scale digit can say: at most 10^27, which
  // a 128-bit integer holds.
  auto scaled = [](int64_t stored) {
    Decoded d = Decode(stored);
    __int128 v = static_cast<__int128>(static_cast<Wide>(d.digits) * PowerOfTen(9 - d.scale));
    return d.negative ? -v : v;
  };
  __int128 x = scaled(a), y = scaled(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace isam
