#include "engine/filter/filter_constant.h"

#include <cmath>
#include <optional>
#include <strings.h>

#include "engine/file/bcd.h"
#include "engine/filter/dataset_error.h"
#include "engine/file/field_desc.h"
#include "engine/file/field_values.h"
#include "engine/file/le.h"

namespace isam {
namespace {

// TDateTime-style day numbers count from 30 December 1899; True and False
// (1 and 0) taken as moments mean days since then.
constexpr int32_t kDateTimeEpochDay = 693594;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<uint8_t>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<uint8_t>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// An integer as written: optional sign, then decimal digits only.
std::optional<int64_t> ParseInteger(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

[[noreturn]] void ConversionError(const std::string& text, const char* kind) {
  throw EDatabaseError("'" + text + "' is not a valid " + kind);
}

TFilterConstant Sized(uint8_t type, size_t size) { return {type, std::vector<uint8_t>(size, 0)}; }

int64_t IntegerOf(const TExprValue& value, const char* kind) {
  if (auto* number = std::get_if<int64_t>(&value)) return *number;
  const std::string& text = std::get<std::string>(value);
  auto parsed = ParseInteger(text);
  if (!parsed || *parsed < INT32_MIN || *parsed > INT32_MAX) ConversionError(text, kind);
  return *parsed;
}

double FloatOf(const TExprValue& value, const char* kind) {
  if (auto* number = std::get_if<int64_t>(&value)) return static_cast<double>(*number);
  const std::string& text = std::get<std::string>(value);
  auto parsed = ParseNumber(text);
  if (!parsed) ConversionError(text, kind);
  return *parsed;
}

bool BooleanOf(const TExprValue& value) {
  if (auto* number = std::get_if<int64_t>(&value)) return *number != 0;
  const std::string& text = std::get<std::string>(value);
  std::string_view word = TrimBlanks(text);
  if (word.size() == 4 && strncasecmp(word.data(), "True", 4) == 0) return true;
  if (word.size() == 5 && strncasecmp(word.data(), "False", 5) == 0) return false;
  if (auto number = ParseNumber(text)) return *number != 0;
  ConversionError(text, "boolean value");
}

}  // namespace

uint8_t FilterConstantType(uint8_t fieldType) {
  switch (fieldType) {
    case kFieldString:
    case kFieldDate:
    case kFieldBoolean:
    case kFieldInt16:
    case kFieldInt32:
    case kFieldFloat:
    case kFieldBcd:
    case kFieldTime:
    case kFieldDateTime:
    case kFieldUInt16: return fieldType;
    default: return 0;
  }
}

TFilterConstant StringConstant(const std::string& text) {
  size_t length = std::min(text.size(), kMaxFilterString);
  TFilterConstant c = Sized(kFieldString, length + 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), c.bytes.begin());
  return c;
}

TFilterConstant EncodeFilterConstant(const TFilterField& field, const TExprValue& value) {
  switch (FilterConstantType(field.type)) {
    case kFieldString: {
      if (auto* number = std::get_if<int64_t>(&value)) return StringConstant(std::to_string(*number));
      return StringConstant(std::get<std::string>(value));
    }
    case kFieldDate: {
      TFilterConstant c = Sized(kFieldDate, 4);
      int64_t day;
      if (auto* number = std::get_if<int64_t>(&value)) {
        day = kDateTimeEpochDay + *number;
      } else {
        auto parsed = ParseDate(std::get<std::string>(value));
        if (!parsed) ConversionError(std::get<std::string>(value), "date");
        day = *parsed;
      }
      PutI32(c.bytes.data(), static_cast<int32_t>(day));
      return c;
    }
    case kFieldBoolean: {
      TFilterConstant c = Sized(kFieldBoolean, 2);
      PutU16(c.bytes.data(), BooleanOf(value) ? kFilterTrue : 0);
      return c;
    }
    case kFieldInt16: {
      int64_t number = IntegerOf(value, "integer value");
      if (number < -32768 || number > 32767) throw EDatabaseError("Constant out of range");
      TFilterConstant c = Sized(kFieldInt16, 2);
      PutI16(c.bytes.data(), static_cast<int16_t>(number));
      return c;
    }
    case kFieldUInt16: {
      int64_t number = IntegerOf(value, "integer value");
      if (number < 0 || number > 65535) throw EDatabaseError("Constant out of range");
      TFilterConstant c = Sized(kFieldUInt16, 2);
      PutU16(c.bytes.data(), static_cast<uint16_t>(number));
      return c;
    }
    case kFieldInt32: {
      TFilterConstant c = Sized(kFieldInt32, 4);
      PutI32(c.bytes.data(), static_cast<int32_t>(IntegerOf(value, "integer value")));
      return c;
    }
    case kFieldFloat: {
      TFilterConstant c = Sized(kFieldFloat, 8);
      PutF64(c.bytes.data(), FloatOf(value, "floating point value"));
      return c;
    }
    case kFieldBcd: {
      // Rounded to the field's places as decimal digits, never through a double.
      const uint8_t scale = static_cast<uint8_t>(std::min<int>(field.scale, kMaxBcdScale));
      auto* number = std::get_if<int64_t>(&value);
      std::optional<int64_t> stored = ParseBcd(number ? std::to_string(*number) : std::get<std::string>(value), scale);
      if (!stored) {
        FloatOf(value, "BCD value");  // raises the conversion error of a text that is no number
        throw EDatabaseError("Constant out of range");
      }
      int64_t digits = *stored / 10;  // the sign stays, the scale digit goes
      for (int s = scale; s < kMaxBcdScale; ++s) {
        if (digits > INT64_MAX / 10 || digits < INT64_MIN / 10) throw EDatabaseError("Constant out of range");
        digits *= 10;
      }
      TFilterConstant c = Sized(kFieldBcd, kBcdConstantSize);
      PutI64(c.bytes.data(), digits);
      return c;
    }
    case kFieldTime: {
      TFilterConstant c = Sized(kFieldTime, 4);
      int32_t ms = 0;  // a whole number of days has no time of day
      if (auto* text = std::get_if<std::string>(&value)) {
        auto parsed = ParseTime(*text);
        if (!parsed) ConversionError(*text, "time");
        ms = *parsed;
      }
      PutI32(c.bytes.data(), ms);
      return c;
    }
    case kFieldDateTime: {
      TFilterConstant c = Sized(kFieldDateTime, 8);
      double moment;
      if (auto* number = std::get_if<int64_t>(&value)) {
        moment = static_cast<double>(kDateTimeEpochDay + *number) * kMillisecondsPerDay;
      } else {
        auto parsed = ParseDateTime(std::get<std::string>(value));
        if (!parsed) ConversionError(std::get<std::string>(value), "date and time");
        moment = *parsed;
      }
      PutF64(c.bytes.data(), moment);
      return c;
    }
    default:
      throw EDatabaseError::WithArg("Field '%s' cannot be used in a filter expression", field.name);
  }
}

}  // namespace isam
