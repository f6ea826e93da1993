#include "engine/filter/filter_expr.h"

#include "engine/filter/dataset_error.h"
#include "engine/file/field_desc.h"
#include "engine/file/le.h"
#include "engine/filter/expr_parser.h"
#include "engine/filter/filter_constant.h"

namespace isam {
namespace {

constexpr size_t kMaxBufferSize = 0xFFFF;

std::string ValueText(const TExprValue& value) {
  if (auto* text = std::get_if<std::string>(&value)) return *text;
  if (auto* number = std::get_if<int64_t>(&value)) return std::to_string(*number);
  return {};
}

uint32_t Mirrored(uint32_t op) {
  switch (op) {
    case kOpGt: return kOpLt;
    case kOpLt: return kOpGt;
    case kOpGe: return kOpLe;
    case kOpLe: return kOpGe;
    default: return op;
  }
}

bool IsComparison(uint32_t op) { return op >= kOpEq && op <= kOpLe; }

[[noreturn]] void Malformed() { throw EDatabaseError("Incorrectly formed filter expression"); }

}  // namespace

// Collects the node and literal areas; node operands are patched once the
// operand subtrees have their offsets.
class TFilterExpr::Writer {
 public:
  uint16_t Node(uint32_t nodeClass, uint32_t op) {
    size_t at = nodes_.size();
    nodes_.resize(at + NodeSize(nodeClass), 0);
    PutU32(&nodes_[at], nodeClass);
    PutU32(&nodes_[at + 4], op);
    return Offset(at);
  }
  void Operand(uint16_t node, int index, uint16_t value) {
    PutU16(&nodes_[node + kNodeHeaderSize + 2 * static_cast<size_t>(index)], value);
  }
  uint16_t Literal(const uint8_t* bytes, size_t size) {
    size_t at = literals_.size();
    literals_.insert(literals_.end(), bytes, bytes + size);
    return Offset(at);
  }
  TExprBuffer Finish() const {
    size_t total = kExprHeaderSize + nodes_.size() + literals_.size();
    if (total > kMaxBufferSize) Malformed();
    TExprBuffer buffer(kExprHeaderSize);
    PutU16(&buffer[0], 0);
    PutU16(&buffer[2], static_cast<uint16_t>(total));
    PutU16(&buffer[4], kExprNodeCountUnknown);
    PutU16(&buffer[6], static_cast<uint16_t>(kExprHeaderSize));
    PutU16(&buffer[8], static_cast<uint16_t>(kExprHeaderSize + nodes_.size()));
    buffer.insert(buffer.end(), nodes_.begin(), nodes_.end());
    buffer.insert(buffer.end(), literals_.begin(), literals_.end());
    return buffer;
  }

 private:
  // A buffer beyond 64 KB cannot be addressed with u16 offsets: refuse it
  // instead of writing offsets that wrap.
  static uint16_t Offset(size_t at) {
    if (at > kMaxBufferSize) Malformed();
    return static_cast<uint16_t>(at);
  }

  std::vector<uint8_t> nodes_;
  std::vector<uint8_t> literals_;
};

TExprBuffer TFilterExpr::Parse(std::string_view text) {
  if (text.empty()) return {};
  TExprParser parser(nodes_, text);
  return Compile(parser.Parse());
}

TExprBuffer TFilterExpr::Compile(const TExprNode* root) {
  Writer out;
  Predicate(out, root);
  return out.Finish();
}

const TFilterField& TFilterExpr::UsableField(const TExprNode* node) const {
  if (node->kind == TExprNodeKind::kOperator) Malformed();
  std::string name = ValueText(node->data);
  const TFilterField* field = FindFilterField(fields_, name);
  if (!field) throw EDatabaseError::WithArg("Field '%s' not found", name);
  if (!field->usable)
    throw EDatabaseError::WithArg("Field '%s' cannot be used in a filter expression", field->name);
  return *field;
}

uint16_t TFilterExpr::FieldNode(Writer& out, const TFilterField& field) {
  uint16_t node = out.Node(kNodeField, kOpField);
  out.Operand(node, 0, field.fieldNo);
  std::string name = field.name;
  out.Operand(node, 1,
              out.Literal(reinterpret_cast<const uint8_t*>(name.c_str()), name.size() + 1));
  return node;
}

uint16_t TFilterExpr::ConstNode(Writer& out, const TFilterConstant& constant) {
  uint16_t node = out.Node(kNodeConst, kOpConst);
  out.Operand(node, 0, constant.type);
  out.Operand(node, 1, static_cast<uint16_t>(constant.bytes.size()));
  out.Operand(node, 2, out.Literal(constant.bytes.data(), constant.bytes.size()));
  return node;
}

uint16_t TFilterExpr::Predicate(Writer& out, const TExprNode* node) {
  switch (node->kind) {
    case TExprNodeKind::kConst: Malformed();
    case TExprNodeKind::kField: {
      const TFilterField& field = UsableField(node);
      if (field.type != kFieldBoolean)
        throw EDatabaseError::WithArg("Field '%s' is not of type Boolean", field.name);
      uint16_t eq = out.Node(kNodeBinary, kOpEq);
      out.Operand(eq, 0, FieldNode(out, field));
      out.Operand(eq, 1, ConstNode(out, EncodeFilterConstant(field, int64_t{1})));
      return eq;
    }
    case TExprNodeKind::kOperator: break;
  }
  if (node->op == kOpAnd || node->op == kOpOr) {
    uint16_t binary = out.Node(kNodeBinary, node->op);
    out.Operand(binary, 0, Predicate(out, node->left));
    out.Operand(binary, 1, Predicate(out, node->right));
    return binary;
  }
  if (node->op == kOpNot) {
    uint16_t unary = out.Node(kNodeUnary, kOpNot);
    out.Operand(unary, 0, Predicate(out, node->left));
    return unary;
  }
  if (IsComparison(node->op)) return Comparison(out, node);
  Malformed();
}

uint16_t TFilterExpr::Comparison(Writer& out, const TExprNode* node) {
  const TExprNode* left = node->left;
  const TExprNode* right = node->right;
  uint32_t op = node->op;
  if (right->kind == TExprNodeKind::kField && left->kind != TExprNodeKind::kField) {
    std::swap(left, right);
    op = Mirrored(op);
  }
  const TFilterField& field = UsableField(left);

  if (right->kind == TExprNodeKind::kField) {
    const TFilterField& other = UsableField(right);
    uint16_t binary = out.Node(kNodeBinary, op);
    out.Operand(binary, 0, FieldNode(out, field));
    out.Operand(binary, 1, FieldNode(out, other));
    return binary;
  }
  if (right->kind != TExprNodeKind::kConst) Malformed();

  if (std::holds_alternative<std::monostate>(right->data)) {
    if (op != kOpEq && op != kOpNe) throw EDatabaseError("NULL only allowed with '=' and '<>'");
    uint16_t unary = out.Node(kNodeUnary, op == kOpEq ? kOpIsBlank : kOpNotBlank);
    out.Operand(unary, 0, FieldNode(out, field));
    return unary;
  }

  if ((op == kOpEq || op == kOpNe) && field.type == kFieldString) {
    std::string text = ValueText(right->data).substr(0, kMaxFilterString);
    if (!text.empty()) {
      uint16_t caseInsensitive = (options_ & foCaseInsensitive) ? 1 : 0;
      uint16_t partial = 0;
      if (node->partial) {
        partial = static_cast<uint16_t>(text.size());
      } else if (!(options_ & foNoPartialCompare) && text.size() > 1 && text.back() == '*') {
        text.pop_back();
        partial = static_cast<uint16_t>(text.size());
      }
      if (caseInsensitive || partial) {
        uint16_t compare = out.Node(kNodeCompare, op);
        out.Operand(compare, 0, caseInsensitive);
        out.Operand(compare, 1, partial);
        out.Operand(compare, 2, FieldNode(out, field));
        out.Operand(compare, 3, ConstNode(out, StringConstant(text)));
        return compare;
      }
    }
  }

  uint16_t binary = out.Node(kNodeBinary, op);
  out.Operand(binary, 0, FieldNode(out, field));
  out.Operand(binary, 1, ConstNode(out, EncodeFilterConstant(field, right->data)));
  return binary;
}

TExprBuffer ParseFilterText(const TFilterFieldList& fields, std::string_view text,
                            TFilterOptions options) {
  TFilterExpr expr(fields, options);
  return expr.Parse(text);
}

TExprBuffer BuildLookupBuffer(const TFilterFieldList& fields,
                              const std::vector<std::string>& keyFields,
                              const std::vector<TExprValue>& values, bool caseInsensitive,
                              bool partialKey) {
  TFilterOptions options = foNoPartialCompare | (caseInsensitive ? foCaseInsensitive : 0);
  TFilterExpr expr(fields, options);
  TExprNodeList& nodes = expr.Nodes();
  TExprNode* root = nullptr;
  size_t count = std::min(keyFields.size(), values.size());
  for (size_t i = 0; i < count; ++i) {
    TExprNode* eq = nodes.Operator(kOpEq, nodes.Field(keyFields[i]), nodes.Const(values[i]));
    eq->partial = partialKey && i + 1 == count;
    root = root ? nodes.Operator(kOpAnd, root, eq) : eq;
  }
  if (!root) return {};
  return expr.Compile(root);
}

}  // namespace isam
