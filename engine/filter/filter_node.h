#pragma once
// The engine's evaluation tree (TFilterNode), read from an expression buffer.
//
// Field nodes are resolved by name (without regard to case) against the data
// file's field descriptors; the field number in the buffer is not used.
// Constant nodes copy their value bytes into the value area; the empty string
// becomes a blank constant instead.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file/field_desc.h"
#include "engine/filter/filter_codes.h"

namespace isam {

constexpr size_t kFilterValueSize = 255;

struct TFilterNode {
  uint32_t nodeClass = 0;
  uint32_t op = kOpNone;
  uint8_t level = 2;        // 0 an index answers it, 1 partly, 2 a scan does
  int indexSlot = -1;       // the index chosen for a level-0 leaf
  // Field nodes.
  std::string fieldName;
  uint16_t fieldNumber = 0;   // descriptor number, 1-based
  uint16_t flagOffset = 0;    // null-flag byte in the record
  uint16_t dataOffset = 0;    // value bytes in the record
  bool autoIncrement = false; // never blank
  // Constant nodes (and the field's type for field nodes).
  std::array<uint8_t, kFilterValueSize> value{};
  bool blank = false;
  uint8_t dataType = 0;
  uint8_t size = 0;
  uint8_t decimals = 0;
  // Compare nodes.
  uint8_t partialLength = 0;
  bool caseInsensitive = false;

  std::unique_ptr<TFilterNode> left, right;

  bool IsField() const { return nodeClass == kNodeField; }
  bool IsConst() const { return nodeClass == kNodeConst; }
};

// Reads a buffer into a tree. Returns 0, 10051 for a buffer that is not a
// well-formed expression, or 9985 for a field the data file does not have
// (both reported naming dataPath).
int BuildFilterTree(const uint8_t* buffer, size_t size, const std::vector<TFieldDesc>& fields,
                    std::string_view dataPath, std::unique_ptr<TFilterNode>* root);

// A deep copy (for a cloned cursor).
std::unique_ptr<TFilterNode> CloneFilterTree(const TFilterNode& node);

}  // namespace isam
