#include "engine/file/field_values.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <ctime>
#include <strings.h>
#include <vector>

#include "engine/file/bcd.h"
#include "engine/file/le.h"

namespace isam {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool Equals(std::string_view a, const char* b) {
  return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

// Days before year y's 1 January, counted from 0001-01-01 (proleptic Gregorian).
int64_t DaysBeforeYear(int64_t y) {
  int64_t p = y - 1;
  return p * 365 + p / 4 - p / 100 + p / 400;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::optional<int> ParseUnsigned(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

template <typename T>
bool StoreInteger(std::optional<double> number, double low, double high, uint8_t* data) {
  if (!number || *number != std::floor(*number) || *number < low || *number > high) return false;
  T value = static_cast<T>(*number);
  std::memcpy(data, &value, sizeof value);  // little-endian host
  return true;
}

int Sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

}  // namespace

int32_t DayNumber(int year, int month, int day) {
  static const int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int64_t days = DaysBeforeYear(year) + kBefore[month - 1] + day;
  if (month > 2 && IsLeap(year)) ++days;
  return static_cast<int32_t>(days);
}

void CivilFromDayNumber(int32_t dayNumber, int* year, int* month, int* day) {
  // Days since 1970-01-01, then the civil-from-days algorithm over 400-year eras.
  int64_t z = int64_t(dayNumber) - 719163 + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(yoe + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
}

int32_t TodayDayNumber() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int32_t MillisecondsNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
         static_cast<int32_t>(ts.tv_nsec / 1000000);
}

std::optional<double> ParseNumber(std::string_view text) {
  text = Trim(text);
  std::string cleaned;
  for (char c : text) {
    if (c != ',') cleaned += c;  // thousands separators
  }
  if (cleaned.empty()) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(cleaned.c_str(), &end);
  if (end != cleaned.c_str() + cleaned.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int32_t> ParseDate(std::string_view text) {
  text = Trim(text);
  size_t a = text.find('/');
  size_t b = a == std::string_view::npos ? a : text.find('/', a + 1);
  if (b == std::string_view::npos) return std::nullopt;
  auto month = ParseUnsigned(text.substr(0, a));
  auto day = ParseUnsigned(text.substr(a + 1, b - a - 1));
  auto year = ParseUnsigned(text.substr(b + 1));
  if (!month || !day || !year) return std::nullopt;
  int y = *year;
  if (text.size() - b - 1 <= 2) y += y < 50 ? 2000 : 1900;  // two-digit years
  if (y < 1 || y > 9999 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(y, *month))
    return std::nullopt;
  return DayNumber(y, *month, *day);
}

std::optional<int32_t> ParseTime(std::string_view text) {
  text = Trim(text);
  int addHours = 0;
  bool twelveHour = false;
  if (text.size() >= 2) {
    std::string_view tail = text.substr(text.size() - 2);
    if (Equals(tail, "AM") || Equals(tail, "PM")) {
      twelveHour = true;
      addHours = Equals(tail, "PM") ? 12 : 0;
      text = Trim(text.substr(0, text.size() - 2));
    }
  }
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ':') {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (parts.empty() || parts.size() > 3) return std::nullopt;
  int milliseconds = 0;
  if (parts.size() == 3) {
    size_t dot = parts[2].find('.');
    if (dot != std::string_view::npos) {
      auto ms = ParseUnsigned(parts[2].substr(dot + 1));
      if (!ms || parts[2].size() - dot - 1 > 3) return std::nullopt;
      milliseconds = *ms;
      for (size_t digits = parts[2].size() - dot - 1; digits < 3; ++digits) milliseconds *= 10;
      parts[2] = parts[2].substr(0, dot);
    }
  }
  auto hour = ParseUnsigned(parts[0]);
  auto minute = parts.size() > 1 ? ParseUnsigned(parts[1]) : std::optional<int>(0);
  auto second = parts.size() > 2 ? ParseUnsigned(parts[2]) : std::optional<int>(0);
  if (!hour || !minute || !second || *minute > 59 || *second > 59) return std::nullopt;
  int h = *hour;
  if (twelveHour) {
    if (h < 1 || h > 12) return std::nullopt;
    h = h % 12 + addHours;
  } else if (h > 23) {
    return std::nullopt;
  }
  return ((h * 60 + *minute) * 60 + *second) * 1000 + milliseconds;
}

std::optional<double> ParseDateTime(std::string_view text) {
  text = Trim(text);
  size_t space = text.find(' ');
  auto date = ParseDate(text.substr(0, space));
  if (!date) {
    // A time alone is a moment on 30 December 1899.
    auto time = ParseTime(text);
    if (!time) return std::nullopt;
    return DayNumber(1899, 12, 30) * kMillisecondsPerDay + *time;
  }
  int32_t time = 0;
  if (space != std::string_view::npos) {
    auto parsed = ParseTime(text.substr(space + 1));
    if (!parsed) return std::nullopt;
    time = *parsed;
  }
  return *date * kMillisecondsPerDay + time;
}

bool EncodeValueText(const TFieldDesc& field, std::string_view text, uint8_t* data, std::string* error) {
  std::string quoted = "'" + std::string(text) + "'";
  // A field without data bytes (type code 0 or an unknown one of declared
  // size 0) has no value a text could give; its buffer may be empty.
  if (field.storedSize == 0) {
    *error = quoted + " cannot be converted for this field";
    return false;
  }
  std::memset(data, 0, field.storedSize);
  auto fail = [&](const char* kind) {
    *error = quoted + " is not a valid " + kind;
    return false;
  };
  std::string_view word = Trim(text);
  switch (field.type) {
    case kFieldString: {
      size_t n = std::min<size_t>(text.size(), field.declaredSize);
      std::memcpy(data, text.data(), n);
      return true;
    }
    case kFieldDate: {
      auto day = Equals(word, "DATE") ? std::optional<int32_t>(TodayDayNumber()) : ParseDate(text);
      if (!day) return fail("date");
      PutI32(data, *day);
      return true;
    }
    case kFieldTime: {
      auto ms = Equals(word, "TIME") ? std::optional<int32_t>(MillisecondsNow()) : ParseTime(text);
      if (!ms) return fail("time");
      PutI32(data, *ms);
      return true;
    }
    case kFieldDateTime: {
      std::optional<double> moment;
      if (Equals(word, "NOW")) moment = TodayDayNumber() * kMillisecondsPerDay + MillisecondsNow();
      else if (Equals(word, "DATE")) moment = TodayDayNumber() * kMillisecondsPerDay;
      else if (Equals(word, "TIME")) moment = DayNumber(1899, 12, 30) * kMillisecondsPerDay + MillisecondsNow();
      else moment = ParseDateTime(text);
      if (!moment) return fail("date and time");
      PutF64(data, *moment);
      return true;
    }
    case kFieldBoolean:
      if (Equals(word, "TRUE")) PutU16(data, 1);
      else if (Equals(word, "FALSE")) PutU16(data, 0);
      else return fail("boolean value");
      return true;
    case kFieldInt16:
      return StoreInteger<int16_t>(ParseNumber(text), -32768, 32767, data) || fail("integer value");
    case kFieldUInt16:
      return StoreInteger<uint16_t>(ParseNumber(text), 0, 65535, data) || fail("integer value");
    case kFieldInt32:
    case kFieldInt32Raw:
      return StoreInteger<int32_t>(ParseNumber(text), -2147483648.0, 2147483647.0, data) ||
             fail("integer value");
    case kFieldFloat: {
      auto value = ParseNumber(text);
      if (!value) return fail("floating point value");
      PutF64(data, *value);
      return true;
    }
    case kFieldBcd: {
      auto stored = ParseBcd(text, field.storedScale);
      if (!stored) return fail("BCD value");
      PutI64(data, *stored);
      return true;
    }
    default:
      *error = quoted + " cannot be converted for this field";
      return false;
  }
}

int CompareStoredValues(const TFieldDesc& field, const uint8_t* a, const uint8_t* b) {
  auto order = [](auto x, auto y) { return x < y ? -1 : x > y ? 1 : 0; };
  switch (field.type) {
    case kFieldString: {
      size_t la = strnlen(reinterpret_cast<const char*>(a), field.storedSize);
      size_t lb = strnlen(reinterpret_cast<const char*>(b), field.storedSize);
      size_t n = std::max(la, lb);
      if (n < field.storedSize) ++n;  // the terminating zero takes part
      int c = std::memcmp(a, b, std::min<size_t>(n, field.storedSize));
      return Sign(c);
    }
    case kFieldDate:
    case kFieldTime:
    case kFieldInt32:
    case kFieldInt32Raw: return order(GetI32(a), GetI32(b));
    case kFieldInt16: return order(GetI16(a), GetI16(b));
    case kFieldUInt16:
    case kFieldBoolean: return order(GetU16(a), GetU16(b));
    case kFieldFloat:
    case kFieldDateTime: return order(GetF64(a), GetF64(b));
    case kFieldBcd: return CompareBcd(GetI64(a), GetI64(b));
    default: return 0;
  }
}

}  // namespace isam
