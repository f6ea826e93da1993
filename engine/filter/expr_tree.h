#pragma once
// The parse tree of a filter text: field references, constants and operators.
// All nodes of one parse live in one TExprNodeList and are freed together.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/filter/filter_codes.h"

namespace isam {

// A constant as written: null (NULL), text (string and number literals) or an
// integer (True = 1, False = 0). Also the values of a look-up.
using TExprValue = std::variant<std::monostate, std::string, int64_t>;

enum class TExprNodeKind : uint8_t { kField = 0, kConst = 1, kOperator = 2 };

struct TExprNode {
  TExprNodeKind kind = TExprNodeKind::kOperator;
  bool partial = false;      // the last key of a partial-key look-up
  uint32_t op = kOpNone;     // operator code; kOpNone for fields and constants
  TExprValue data;           // field: its name; constant: its value
  TExprNode* left = nullptr;   // a unary operator uses left only
  TExprNode* right = nullptr;
};

class TExprNodeList {
 public:
  TExprNode* Add(TExprNode node) {
    nodes_.push_back(std::make_unique<TExprNode>(std::move(node)));
    return nodes_.back().get();
  }
  TExprNode* Field(std::string name) {
    return Add({TExprNodeKind::kField, false, kOpNone, std::move(name), nullptr, nullptr});
  }
  TExprNode* Const(TExprValue value) {
    return Add({TExprNodeKind::kConst, false, kOpNone, std::move(value), nullptr, nullptr});
  }
  TExprNode* Operator(uint32_t op, TExprNode* left, TExprNode* right = nullptr) {
    return Add({TExprNodeKind::kOperator, false, op, {}, left, right});
  }
  void Clear() { nodes_.clear(); }

 private:
  std::vector<std::unique_ptr<TExprNode>> nodes_;
};

}  // namespace isam
