#pragma once
// Splits a filter text into tokens: names, literals, parentheses and
// comparison operators. Blanks and control characters between tokens are
// skipped. Raises EDatabaseError for a character that starts no token and for
// an unterminated bracketed name or string literal.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/filter/filter_codes.h"

namespace isam {

enum class TExprTokenKind {
  kEnd,
  kSymbol,   // letter, '_' or 0x81..0xFE, then letters, digits and '_'
  kName,     // [any characters] (text without the brackets)
  kString,   // 'text' with '' for a quote; at most 256 characters kept
  kNumber,   // '-' or a digit, then digits, '.', 'e', 'E', '+', '-'
  kOpenParen,
  kCloseParen,
  kCompare,  // = <> >= <= > <  (op holds the operator code)
};

struct TExprToken {
  TExprTokenKind kind = TExprTokenKind::kEnd;
  std::string text;
  uint32_t op = kOpNone;
};

class TExprTokenizer {
 public:
  explicit TExprTokenizer(std::string_view source) : source_(source) {}

  TExprToken Next();

  // How messages name a token: the token in single quotes, or "nothing" at
  // the end of the text.
  static std::string Describe(const TExprToken& token);

 private:
  std::string_view source_;
  size_t at_ = 0;
};

}  // namespace isam
