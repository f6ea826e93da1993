#include "engine/filter/expr_parser.h"

#include <strings.h>

#include "engine/filter/dataset_error.h"

namespace isam {
namespace {

// Parentheses nest at most this deep, so that a hostile text cannot exhaust
// the stack; real filters stay far below.
constexpr int kMaxNesting = 256;

}  // namespace

bool TExprParser::AtKeyword(const char* word) const {
  return token_.kind == TExprTokenKind::kSymbol && strcasecmp(token_.text.c_str(), word) == 0;
}

TExprNode* TExprParser::Parse() {
  Advance();
  TExprNode* root = Expression();
  if (token_.kind != TExprTokenKind::kEnd)
    throw EDatabaseError("Filter expression incorrectly terminated");
  return root;
}

TExprNode* TExprParser::Expression() {
  TExprNode* left = AndTerm();
  while (AtKeyword("OR")) {
    Advance();
    left = nodes_.Operator(kOpOr, left, AndTerm());
  }
  return left;
}

TExprNode* TExprParser::AndTerm() {
  TExprNode* left = NotTerm();
  while (AtKeyword("AND")) {
    Advance();
    left = nodes_.Operator(kOpAnd, left, NotTerm());
  }
  return left;
}

TExprNode* TExprParser::NotTerm() {
  if (AtKeyword("NOT")) {
    Advance();
    return nodes_.Operator(kOpNot, Comparison());
  }
  return Comparison();
}

TExprNode* TExprParser::Comparison() {
  TExprNode* left = Primary();
  if (token_.kind != TExprTokenKind::kCompare) return left;
  uint32_t op = token_.op;
  Advance();
  return nodes_.Operator(op, left, Primary());
}

TExprNode* TExprParser::Primary() {
  TExprNode* node = nullptr;
  switch (token_.kind) {
    case TExprTokenKind::kSymbol:
      if (AtKeyword("NULL")) {
        node = nodes_.Const(std::monostate{});
      } else if (AtKeyword("True")) {
        node = nodes_.Const(int64_t{1});
      } else if (AtKeyword("False")) {
        node = nodes_.Const(int64_t{0});
      } else {
        node = nodes_.Field(token_.text);
      }
      break;
    case TExprTokenKind::kName: node = nodes_.Field(token_.text); break;
    case TExprTokenKind::kString:
    case TExprTokenKind::kNumber: node = nodes_.Const(token_.text); break;
    case TExprTokenKind::kOpenParen: {
      if (++depth_ > kMaxNesting) throw EDatabaseError("Incorrectly formed filter expression");
      Advance();
      node = Expression();
      if (token_.kind != TExprTokenKind::kCloseParen)
        throw EDatabaseError::WithArg("')' expected but %s found", TExprTokenizer::Describe(token_));
      --depth_;
      break;
    }
    default:
      throw EDatabaseError::WithArg("Expression expected but %s found",
                                    TExprTokenizer::Describe(token_));
  }
  Advance();
  return node;
}

}  // namespace isam
