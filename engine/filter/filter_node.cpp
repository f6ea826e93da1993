#include "engine/filter/filter_node.h"

#include <cstring>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/text/names.h"

namespace isam {
namespace {

// Width of each constant type in the buffer; string constants are n + 1.
size_t ConstantWidth(uint8_t type) {
  switch (type) {
    case kFieldDate:
    case kFieldInt32:
    case kFieldTime: return 4;
    case kFieldBoolean:
    case kFieldInt16:
    case kFieldUInt16: return 2;
    case kFieldFloat:
    case kFieldDateTime: return 8;
    case kFieldBcd: return 18;
    default: return 0;
  }
}

bool IsPredicateOp(uint32_t nodeClass, uint32_t op) {
  switch (nodeClass) {
    case kNodeUnary: return op == kOpIsBlank || op == kOpNotBlank || op == kOpNot;
    case kNodeBinary: return op >= kOpEq && op <= kOpOr && op != kOpNot;
    case kNodeCompare: return op == kOpEq || op == kOpNe;
    default: return false;
  }
}

class TreeReader {
 public:
  TreeReader(const uint8_t* buffer, size_t size, const std::vector<TFieldDesc>& fields,
             std::string_view path)
      : buffer_(buffer), size_(size), fields_(fields), path_(path) {}

  int Read(std::unique_ptr<TFilterNode>* root) {
    if (!buffer_ || size_ < kExprHeaderSize) return Invalid();
    size_t total = GetU16(buffer_ + 2);
    nodeStart_ = GetU16(buffer_ + 6);
    literalStart_ = GetU16(buffer_ + 8);
    if (GetU16(buffer_) != 0 || total > size_ || total < kExprHeaderSize ||
        nodeStart_ != kExprHeaderSize || literalStart_ < nodeStart_ || literalStart_ > total)
      return Invalid();
    end_ = total;
    int rc = Node(0, 0, true, root);
    if (rc == kOk && !IsPredicateOp((*root)->nodeClass, (*root)->op)) return Invalid();
    return rc;
  }

 private:
  int Invalid() { return ReportError(kInvalidFilterExpression, path_); }

  // Operand i of the node at absolute position at.
  uint16_t Operand(size_t at, int i) const { return GetU16(buffer_ + at + kNodeHeaderSize + 2 * i); }

  int Node(uint16_t offset, int depth, bool predicate, std::unique_ptr<TFilterNode>* out) {
    // A buffer cannot hold more nodes than this; deeper means a cycle.
    if (depth > 0xFFFF / int(kNodeHeaderSize)) return Invalid();
    size_t at = nodeStart_ + offset;
    if (at + kNodeHeaderSize > literalStart_) return Invalid();
    auto node = std::make_unique<TFilterNode>();
    node->nodeClass = GetU32(buffer_ + at);
    node->op = GetU32(buffer_ + at + 4);
    if (OperandCount(node->nodeClass) < 0 || at + NodeSize(node->nodeClass) > literalStart_)
      return Invalid();
    bool isPredicate = IsPredicateOp(node->nodeClass, node->op);
    if (predicate && !isPredicate) return Invalid();

    int rc = kOk;
    switch (node->nodeClass) {
      case kNodeUnary:
        if (!isPredicate) return Invalid();
        rc = Node(Operand(at, 0), depth + 1, node->op == kOpNot, &node->left);
        if (rc == kOk && node->op != kOpNot && !IsValue(*node->left)) return Invalid();
        break;
      case kNodeBinary: {
        if (!isPredicate) return Invalid();
        bool logical = node->op == kOpAnd || node->op == kOpOr;
        rc = Node(Operand(at, 0), depth + 1, logical, &node->left);
        if (rc == kOk) rc = Node(Operand(at, 1), depth + 1, logical, &node->right);
        if (rc == kOk && !logical && !(IsValue(*node->left) && IsValue(*node->right)))
          return Invalid();
        break;
      }
      case kNodeCompare:
        if (!isPredicate) return Invalid();
        node->caseInsensitive = Operand(at, 0) != 0;
        node->partialLength = static_cast<uint8_t>(std::min<uint16_t>(Operand(at, 1), 255));
        rc = Node(Operand(at, 2), depth + 1, false, &node->left);
        if (rc == kOk) rc = Node(Operand(at, 3), depth + 1, false, &node->right);
        if (rc == kOk && !(node->left->IsField() && node->right->IsConst() &&
                           node->right->dataType == kFieldString))
          return Invalid();
        break;
      case kNodeField:
        if (node->op != kOpField) return Invalid();
        rc = ReadField(at, *node);
        break;
      case kNodeConst:
        if (node->op != kOpConst) return Invalid();
        rc = ReadConst(at, *node);
        break;
    }
    if (rc == kOk) *out = std::move(node);
    return rc;
  }

  static bool IsValue(const TFilterNode& node) { return node.IsField() || node.IsConst(); }

  int ReadField(size_t at, TFilterNode& node) {
    size_t name = literalStart_ + Operand(at, 1);
    if (name >= end_) return Invalid();
    const void* nul = std::memchr(buffer_ + name, 0, end_ - name);
    if (!nul) return Invalid();
    node.fieldName.assign(reinterpret_cast<const char*>(buffer_ + name),
                          static_cast<const uint8_t*>(nul) - (buffer_ + name));
    node.fieldName.resize(std::min<size_t>(node.fieldName.size(), 255));
    for (const TFieldDesc& desc : fields_) {
      if (SameName(desc.name, node.fieldName)) {
        if (desc.IsComputed()) break;  // has no value in the record
        node.fieldNumber = desc.number;
        node.dataType = desc.type;
        node.size = desc.storedSize;
        node.decimals = desc.storedScale;
        node.flagOffset = desc.offset;
        node.dataOffset = desc.DataOffset();
        node.autoIncrement = desc.IsAutoIncrement();
        return kOk;
      }
    }
    return ReportError(kInvalidField, path_, node.fieldName);
  }

  int ReadConst(size_t at, TFilterNode& node) {
    uint16_t type = Operand(at, 0);
    size_t size = Operand(at, 1);
    size_t value = literalStart_ + Operand(at, 2);
    if (value + size > end_ || type > 0xFF) return Invalid();
    node.dataType = static_cast<uint8_t>(type);
    if (type == kFieldString) {
      if (size == 0) return Invalid();
      // The value area holds 255 bytes: a longer constant keeps its first
      // 254 characters and the NUL.
      size_t length = strnlen(reinterpret_cast<const char*>(buffer_ + value), size);
      length = std::min(length, kFilterValueSize - 1);
      std::memcpy(node.value.data(), buffer_ + value, length);
      node.size = static_cast<uint8_t>(length + 1);
      node.blank = length == 0;
      return kOk;
    }
    if (ConstantWidth(node.dataType) == 0 || size != ConstantWidth(node.dataType)) return Invalid();
    std::memcpy(node.value.data(), buffer_ + value, size);
    node.size = static_cast<uint8_t>(size);
    return kOk;
  }

  const uint8_t* buffer_;
  size_t size_;
  const std::vector<TFieldDesc>& fields_;
  std::string_view path_;
  size_t nodeStart_ = 0, literalStart_ = 0, end_ = 0;
};

}  // namespace

int BuildFilterTree(const uint8_t* buffer, size_t size, const std::vector<TFieldDesc>& fields,
                    std::string_view dataPath, std::unique_ptr<TFilterNode>* root) {
  return TreeReader(buffer, size, fields, dataPath).Read(root);
}

std::unique_ptr<TFilterNode> CloneFilterTree(const TFilterNode& node) {
  auto copy = std::make_unique<TFilterNode>();
  copy->nodeClass = node.nodeClass;
  copy->op = node.op;
  copy->level = node.level;
  copy->indexSlot = node.indexSlot;
  copy->fieldName = node.fieldName;
  copy->fieldNumber = node.fieldNumber;
  copy->flagOffset = node.flagOffset;
  copy->dataOffset = node.dataOffset;
  copy->autoIncrement = node.autoIncrement;
  copy->value = node.value;
  copy->blank = node.blank;
  copy->dataType = node.dataType;
  copy->size = node.size;
  copy->decimals = node.decimals;
  copy->partialLength = node.partialLength;
  copy->caseInsensitive = node.caseInsensitive;
  if (node.left) copy->left = CloneFilterTree(*node.left);
  if (node.right) copy->right = CloneFilterTree(*node.right);
  return copy;
}

}  // namespace isam
