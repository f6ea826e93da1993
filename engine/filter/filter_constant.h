#pragma once
// Constants of a filter converted to the type of the field they are compared
// with, in the literal-area encodings of the expression buffer:
//
//   type  field types            size  bytes
//   1     string                 n+1   the characters (at most 255) and a NUL
//   2     date                   4     i32 day number, 1 January of year 1 = 1
//   4     Boolean                2     u16, 0 = false, non-zero (0xFFFF) = true
//   5     16-bit integer         2     i16, -32768..32767
//   6     32-bit, auto-increment 4     i32
//   7     float, money           8     IEEE double
//   8     BCD                    18    i64 value x 10000 (rounded to the field's
//                                      scale first), then 10 zero bytes
//   10    time                   4     i32 milliseconds since midnight
//   11    date-time              8     double: day number x 86400000 + ms
//   12    16-bit unsigned        2     u16, 0..65535
//
// Texts are read in the fixed formats (decimal ".", short date "M/d/yyyy",
// time ":" with "AM"/"PM"); failures raise EDatabaseError with the usual
// conversion wording ("'abc' is not a valid integer value").
#include <cstdint>
#include <vector>

#include "engine/filter/expr_tree.h"
#include "engine/filter/filter_field.h"

namespace isam {

constexpr size_t kMaxFilterString = 255;
constexpr size_t kBcdConstantSize = 18;
constexpr uint16_t kFilterTrue = 0xFFFF;

struct TFilterConstant {
  uint8_t type = 0;
  std::vector<uint8_t> bytes;
};

// The constant type serving a field type; 0 for types without an encoding
// (blob, bytes, ...).
uint8_t FilterConstantType(uint8_t fieldType);

// value must not be null. Raises "Field '%s' cannot be used in a filter
// expression" for a field type without an encoding.
TFilterConstant EncodeFilterConstant(const TFilterField& field, const TExprValue& value);

// A string constant: at most 255 characters and a NUL.
TFilterConstant StringConstant(const std::string& text);

}  // namespace isam
