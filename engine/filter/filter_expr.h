#pragma once
// TFilterExpr: compiles a filter's parse tree into the flat expression buffer
// that the engine reads (layout in filter_codes.h, constants in
// filter_constant.h), typed after the dataset's fields.
//
// Nodes are laid out parent first (the root at offset 0), then the left
// operand's subtree, then the right one's; literals in the order they are
// written.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/filter/expr_tree.h"
#include "engine/filter/filter_constant.h"
#include "engine/filter/filter_codes.h"
#include "engine/filter/filter_field.h"

namespace isam {

using TExprBuffer = std::vector<uint8_t>;

class TFilterExpr {
 public:
  TFilterExpr(const TFilterFieldList& fields, TFilterOptions options)
      : fields_(fields), options_(options) {}

  TExprNodeList& Nodes() { return nodes_; }

  // Parses and compiles a text; an empty text defines no filter (empty
  // buffer). Raises EDatabaseError.
  TExprBuffer Parse(std::string_view text);
  // Compiles a tree built in Nodes().
  TExprBuffer Compile(const TExprNode* root);

 private:
  class Writer;
  uint16_t Predicate(Writer& out, const TExprNode* node);
  uint16_t Comparison(Writer& out, const TExprNode* node);
  uint16_t FieldNode(Writer& out, const TFilterField& field);
  uint16_t ConstNode(Writer& out, const TFilterConstant& constant);
  const TFilterField& UsableField(const TExprNode* node) const;

  const TFilterFieldList& fields_;
  TFilterOptions options_;
  TExprNodeList nodes_;
};

// Parse(dataset, text, options).
TExprBuffer ParseFilterText(const TFilterFieldList& fields, std::string_view text,
                            TFilterOptions options);

// The buffer of a Locate or Lookup that no index serves: keyFields[i] =
// values[i] for every key field, joined by AND in field order; with a partial
// key the last comparison is a prefix comparison over its value's length.
TExprBuffer BuildLookupBuffer(const TFilterFieldList& fields,
                              const std::vector<std::string>& keyFields,
                              const std::vector<TExprValue>& values, bool caseInsensitive,
                              bool partialKey);

}  // namespace isam
