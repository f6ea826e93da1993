#include "engine/filter/filter_eval.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/file/field_desc.h"
#include "engine/file/le.h"

namespace isam {
namespace {

// A comparison operand: a field's bytes in the record or a constant's value.
struct Operand {
  uint8_t type;
  uint8_t size;
  bool blank;
  const uint8_t* data;
  bool storedBcd;  // a BCD field's stored digits-and-scale form
};

Operand OperandOf(const TFilterNode& node, const uint8_t* record) {
  if (node.IsField()) {
    bool blank = !node.autoIncrement && record[node.flagOffset] == 0;
    return {node.dataType, node.size, blank, record + node.dataOffset, true};
  }
  return {node.dataType, node.size, node.blank, node.value.data(), false};
}

size_t StringLength(const Operand& o) {
  return strnlen(reinterpret_cast<const char*>(o.data), o.size);
}

bool IsNumber(uint8_t type) {
  return type == kFieldInt16 || type == kFieldUInt16 || type == kFieldInt32 || type == kFieldFloat;
}

long double NumberOf(const Operand& o) {
  switch (o.type) {
    case kFieldInt16: return GetI16(o.data);
    case kFieldUInt16: return GetU16(o.data);
    case kFieldInt32: return GetI32(o.data);
    default: return GetF64(o.data);
  }
}

// The value x 10000 of a BCD operand. A field stores its digits at its scale
// followed by one digit holding that scale (12.50 -> 12502); a constant holds
// the value x 10000 already.
long double BcdScaled(const Operand& o) {
  int64_t stored = GetI64(o.data);
  if (!o.storedBcd) return static_cast<long double>(stored);
  long double magnitude = static_cast<long double>(stored < 0 ? -(stored / 10) : stored / 10);
  int64_t scale = (stored < 0 ? -stored : stored) % 10;
  for (int64_t s = scale; s < 4; ++s) magnitude *= 10;
  for (int64_t s = scale; s > 4; --s) magnitude /= 10;
  return stored < 0 ? -magnitude : magnitude;
}

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Orders two non-blank operands; nothing when the pair does not compare
// (a string against a number, unordered floats, ...).
std::optional<int> CompareValues(const Operand& a, const Operand& b, const TTableLocale* locale) {
  auto ordered = [](long double x, long double y) -> std::optional<int> {
    if (x < y) return -1;
    if (x > y) return 1;
    if (x == y) return 0;
    return std::nullopt;  // NaN
  };
  if (a.type == kFieldBcd || b.type == kFieldBcd) {
    if (a.type == kFieldBcd && b.type == kFieldBcd) return ordered(BcdScaled(a), BcdScaled(b));
    if (a.type == kFieldBcd && IsNumber(b.type)) return ordered(BcdScaled(a), NumberOf(b) * 10000);
    if (IsNumber(a.type) && b.type == kFieldBcd) return ordered(NumberOf(a) * 10000, BcdScaled(b));
    return std::nullopt;
  }
  if (IsNumber(a.type) && IsNumber(b.type)) return ordered(NumberOf(a), NumberOf(b));
  switch (a.type) {
    case kFieldDate:
      if (b.type == kFieldDate) return Order(GetI32(a.data), GetI32(b.data));
      if (b.type == kFieldDateTime) return ordered(GetI32(a.data) * 86400000.0L, GetF64(b.data));
      return std::nullopt;
    case kFieldDateTime:
      if (b.type == kFieldDateTime) return ordered(GetF64(a.data), GetF64(b.data));
      if (b.type == kFieldDate) return ordered(GetF64(a.data), GetI32(b.data) * 86400000.0L);
      return std::nullopt;
    case kFieldTime:
      if (b.type == kFieldTime) return Order(GetI32(a.data), GetI32(b.data));
      return std::nullopt;
    case kFieldBoolean:
      if (b.type == kFieldBoolean) return Order(GetU16(a.data) != 0, GetU16(b.data) != 0);
      return std::nullopt;
    case kFieldString:
      if (b.type == kFieldString)
        return CollateStrings(reinterpret_cast<const char*>(a.data), StringLength(a),
                              reinterpret_cast<const char*>(b.data), StringLength(b), false, 0,
                              locale);
      return std::nullopt;
    default: return std::nullopt;
  }
}

std::optional<int> StringCompare(const Operand& a, const Operand& b, const TFilterNode& node,
                                 const TTableLocale* locale) {
  if (a.type != kFieldString || b.type != kFieldString) return std::nullopt;
  return CollateStrings(reinterpret_cast<const char*>(a.data), StringLength(a),
                        reinterpret_cast<const char*>(b.data), StringLength(b),
                        node.caseInsensitive, node.partialLength, locale);
}

// A comparison node (binary EQ..LE or compare node) over a record.
bool Comparison(const TFilterNode& node, const uint8_t* record, const TTableLocale* locale) {
  Operand a = OperandOf(*node.left, record);
  Operand b = OperandOf(*node.right, record);
  bool equality = node.op == kOpEq || node.op == kOpNe;
  if (a.blank || b.blank) {
    if (!equality) return false;
    return (a.blank && b.blank) == (node.op == kOpEq);
  }
  if (!equality && a.type == kFieldBoolean && b.type == kFieldBoolean) return false;
  std::optional<int> order = node.nodeClass == kNodeCompare ? StringCompare(a, b, node, locale)
                                                             : CompareValues(a, b, locale);
  if (!order) return false;
  switch (node.op) {
    case kOpEq: return *order == 0;
    case kOpNe: return *order != 0;
    case kOpGt: return *order > 0;
    case kOpLt: return *order < 0;
    case kOpGe: return *order >= 0;
    case kOpLe: return *order <= 0;
    default: return false;
  }
}

uint8_t Upper(uint8_t c, bool fold) { return fold && c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c; }

}  // namespace

int CollateStrings(const char* a, size_t aLength, const char* b, size_t bLength,
                   bool caseInsensitive, size_t partial, const TTableLocale* locale) {
  if (locale) {
    if (partial) {
      aLength = std::min(aLength, partial);
      bLength = std::min(bLength, partial);
    }
    int order = locale->Compare(a, aLength, b, bLength, caseInsensitive);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
  }
  size_t n = partial ? partial : std::max(aLength, bLength);
  for (size_t i = 0; i < n; ++i) {
    if (i >= aLength && i >= bLength) return 0;
    uint8_t x = i < aLength ? Upper(static_cast<uint8_t>(a[i]), caseInsensitive) : 0;
    uint8_t y = i < bLength ? Upper(static_cast<uint8_t>(b[i]), caseInsensitive) : 0;
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool EvaluateFilter(const TFilterNode& node, const uint8_t* record, const TTableLocale* locale) {
  switch (node.op) {
    case kOpAnd:
      return EvaluateFilter(*node.right, record, locale) &&
             EvaluateFilter(*node.left, record, locale);
    case kOpOr:
      return EvaluateFilter(*node.right, record, locale) ||
             EvaluateFilter(*node.left, record, locale);
    case kOpNot: return !EvaluateFilter(*node.left, record, locale);
    case kOpIsBlank: return OperandOf(*node.left, record).blank;
    case kOpNotBlank: return !OperandOf(*node.left, record).blank;
    default: return Comparison(node, record, locale);
  }
}

}  // namespace isam
