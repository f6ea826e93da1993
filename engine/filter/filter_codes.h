#pragma once
// Codes shared by the filter parse tree, the expression buffer and the
// engine's evaluation tree, and the options that travel with a filter text.
#include <cstddef>
#include <cstdint>

namespace isam {

// Filter options (a dataset's FilterOptions), a bit set.
enum TFilterOption : uint8_t {
  foCaseInsensitive = 1,   // bit 0: string equality ignores case
  foNoPartialCompare = 2,  // bit 1: a trailing '*' is an ordinary character
};
using TFilterOptions = uint8_t;

// Operator codes.
enum TFilterOperator : uint32_t {
  kOpNone = 0,
  kOpIsBlank = 1,
  kOpNotBlank = 2,
  kOpEq = 3,
  kOpNe = 4,
  kOpGt = 5,
  kOpLt = 6,
  kOpGe = 7,
  kOpLe = 8,
  kOpNot = 9,
  kOpAnd = 10,
  kOpOr = 11,
  kOpField = 13,
  kOpConst = 14,
};

// Node classes, with the number of u16 operands each carries in the buffer.
enum TFilterNodeClass : uint32_t {
  kNodeUnary = 1,    // operand node
  kNodeBinary = 2,   // left node, right node
  kNodeCompare = 3,  // case-insensitive, partial length, field node, constant node
  kNodeField = 4,    // field number, literal offset of the NUL-terminated name
  kNodeConst = 5,    // data type, size, literal offset of the value
};

inline constexpr int OperandCount(uint32_t nodeClass) {
  switch (nodeClass) {
    case kNodeUnary: return 1;
    case kNodeBinary: return 2;
    case kNodeCompare: return 4;
    case kNodeField: return 2;
    case kNodeConst: return 3;
    default: return -1;
  }
}

// Expression buffer header (little-endian u16 words):
//   0  version, always 0
//   2  total size of the buffer in bytes
//   4  node count, always 0xFFFF (not counted)
//   6  start of the node area, always 10
//   8  start of the literal area = 10 + size of the node area
//   10 node area, then literal area
// A node is u32 class, u32 operator, then its u16 operands. Node references
// are byte offsets from the start of the node area (root at 0); literal
// references are byte offsets from the start of the literal area.
constexpr size_t kExprHeaderSize = 10;
constexpr uint16_t kExprNodeCountUnknown = 0xFFFF;
constexpr size_t kNodeHeaderSize = 8;

inline constexpr size_t NodeSize(uint32_t nodeClass) {
  return kNodeHeaderSize + 2 * static_cast<size_t>(OperandCount(nodeClass));
}

// At most this many filters per open table.
constexpr size_t kMaxFilters = 128;

}  // namespace isam
