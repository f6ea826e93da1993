#pragma once
// TExprParser: filter text -> parse tree.
//
//   expression := and-term { OR and-term }
//   and-term   := not-term { AND not-term }
//   not-term   := [ NOT ] comparison
//   comparison := primary [ ( = | <> | > | < | >= | <= ) primary ]
//   primary    := NULL | True | False | symbol | [name] | literal | ( expression )
//
// Keywords are symbols compared without regard to case; a bracketed name is
// never a keyword. Errors are EDatabaseError with the parser's messages.
#include <string_view>

#include "engine/filter/expr_tokenizer.h"
#include "engine/filter/expr_tree.h"

namespace isam {

class TExprParser {
 public:
  TExprParser(TExprNodeList& nodes, std::string_view text) : nodes_(nodes), tokens_(text) {}

  // The root of the tree; the text must be consumed to its end.
  TExprNode* Parse();

 private:
  TExprNode* Expression();
  TExprNode* AndTerm();
  TExprNode* NotTerm();
  TExprNode* Comparison();
  TExprNode* Primary();
  void Advance() { token_ = tokens_.Next(); }
  bool AtKeyword(const char* word) const;

  TExprNodeList& nodes_;
  TExprTokenizer tokens_;
  TExprToken token_;
  int depth_ = 0;
};

}  // namespace isam
