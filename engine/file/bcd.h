#pragma once
// BCD values: a signed 64-bit integer holding the value's digits at the
// field's scale, then one more digit with the scale (12.50 at scale 2 ->
// 12502; -3.1 at scale 1 -> -311). Conversions to and from decimal text are
// exact; only the double accessors round, and those once.
//
// Scales above 4 count as 4. At any scale the digits may reach
// kMaxBcdDigits (the stored form must fit 64 bits): at scale 2 the range is
// -9223372036854775.80 to 9223372036854775.80.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace isam {

constexpr int64_t kMaxBcdDigits = 922337203685477580;
constexpr uint8_t kMaxBcdScale = 4;

// A decimal text ("-1,234.5", "12", "1.5e3"; thousands separators ignored)
// at a scale, rounded half away from zero. Nothing when the text is no
// decimal number or the value lies outside the range.
std::optional<int64_t> ParseBcd(std::string_view text, uint8_t scale);

// The stored value's decimal text with `places` decimals (0..9): zeros
// added, surplus digits cut (a stored scale digit above `places`).
std::string FormatBcd(int64_t stored, int places);
// The text with as many decimals as the value needs ("12.5", "13", "-0.25").
std::string FormatBcdShort(int64_t stored);

// A double through its shortest decimal text; nothing when not finite or
// out of range.
std::optional<int64_t> EncodeBcd(double value, uint8_t scale);
// The double nearest to the stored value.
double DecodeBcd(int64_t stored);

// -1, 0 or 1; exact for any two stored values, whatever their scales.
int CompareBcd(int64_t a, int64_t b);

}  // namespace isam
