#include "engine/filter/filter_levels.h"

#include <cstring>

#include "engine/file/field_desc.h"
#include "engine/filter/filter_constant.h"

namespace isam {
namespace {

bool IsOrdering(uint32_t op) { return op >= kOpGt && op <= kOpLe; }

// Field types whose key encoding and constant encoding agree (a BCD constant
// is scaled differently from the stored value the key is made of).
bool KeyComparable(uint8_t fieldType) {
  return FilterConstantType(fieldType) != 0 && fieldType != kFieldBcd;
}

// Whether an index can answer a comparison of field with constant.
bool Answers(const TFilterIndex& index, const TFilterNode& node, const TFilterNode& field,
             const TFilterNode& constant, bool tableHasLocale) {
  if (IsOrdering(node.op)) {
    if (index.descendingFirst) return false;
    if (field.dataType == kFieldBoolean) return false;  // Booleans have no order
    if (constant.blank) return false;
    if (field.dataType == kFieldString && tableHasLocale) return false;
  }
  if (field.dataType == kFieldString) {
    // The constant must fit the key part, or the key would cut it short.
    size_t length = strnlen(reinterpret_cast<const char*>(constant.value.data()), constant.size);
    if (length >= field.size || node.partialLength >= field.size) return false;
    bool caseInsensitive = node.nodeClass == kNodeCompare && node.caseInsensitive;
    if (index.caseInsensitive != caseInsensitive) return false;
  }
  return true;
}

int ChooseIndex(const TFilterNode& node, const std::vector<TFilterIndex>& indexes,
                bool tableHasLocale) {
  const TFilterNode* field = node.left.get();
  if (!field || !field->IsField()) return -1;
  if (node.op == kOpIsBlank || node.op == kOpNotBlank) {
    // An auto-increment value is never blank, but its key part says it has
    // one only when built from a stored record: leave it to the scan.
    if (field->autoIncrement) return -1;
    for (const TFilterIndex& index : indexes)
      if (index.firstField == field->fieldNumber) return index.slot;
    return -1;
  }
  const TFilterNode* constant = node.right.get();
  if (!constant || !constant->IsConst() || !KeyComparable(field->dataType) ||
      constant->dataType != FilterConstantType(field->dataType))
    return -1;
  for (const TFilterIndex& index : indexes) {
    if (index.firstField == field->fieldNumber &&
        Answers(index, node, *field, *constant, tableHasLocale))
      return index.slot;
  }
  return -1;
}

}  // namespace

TFilterIndex FilterIndexOf(int slot, const TIndexDescriptor& descriptor) {
  TFilterIndex index;
  index.slot = slot;
  index.firstField = descriptor.fieldCount ? descriptor.fields[0] : 0;
  index.caseInsensitive = descriptor.caseInsensitive;
  index.descendingFirst = descriptor.descending || descriptor.fieldDescending[0];
  return index;
}

uint8_t AssignFilterLevels(TFilterNode& node, const std::vector<TFilterIndex>& indexes,
                           bool tableHasLocale) {
  node.indexSlot = -1;
  switch (node.op) {
    case kOpNot: node.level = AssignFilterLevels(*node.left, indexes, tableHasLocale); break;
    case kOpAnd: {
      uint8_t left = AssignFilterLevels(*node.left, indexes, tableHasLocale);
      uint8_t right = AssignFilterLevels(*node.right, indexes, tableHasLocale);
      if (left == 0 && right == 0) {
        node.level = 0;
      } else if (left == 2 && right == 2) {
        node.level = 2;
      } else {
        node.level = 1;
        if (right < left) std::swap(node.left, node.right);
      }
      break;
    }
    case kOpOr: {
      uint8_t left = AssignFilterLevels(*node.left, indexes, tableHasLocale);
      uint8_t right = AssignFilterLevels(*node.right, indexes, tableHasLocale);
      node.level = left == 0 && right == 0 ? 0 : 2;
      break;
    }
    case kOpIsBlank:
    case kOpNotBlank:
    case kOpEq:
    case kOpNe:
    case kOpGt:
    case kOpLt:
    case kOpGe:
    case kOpLe:
      node.indexSlot = ChooseIndex(node, indexes, tableHasLocale);
      node.level = node.indexSlot >= 0 ? 0 : 2;
      break;
    default: node.level = 2; break;
  }
  return node.level;
}

}  // namespace isam
