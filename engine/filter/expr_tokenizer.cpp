#include "engine/filter/expr_tokenizer.h"

#include "engine/filter/dataset_error.h"

namespace isam {
namespace {

constexpr size_t kMaxStringLiteral = 256;

bool IsAsciiLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool StartsSymbol(uint8_t c) { return IsAsciiLetter(c) || c == '_' || (c >= 0x81 && c <= 0xFE); }
bool ContinuesSymbol(uint8_t c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_'; }
bool ContinuesNumber(uint8_t c) {
  return IsDigit(c) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}

}  // namespace

TExprToken TExprTokenizer::Next() {
  auto byte = [this](size_t i) { return static_cast<uint8_t>(source_[i]); };
  while (at_ < source_.size() && byte(at_) < 33) ++at_;
  TExprToken token;
  if (at_ >= source_.size()) return token;

  uint8_t c = byte(at_);
  size_t start = at_;
  if (StartsSymbol(c)) {
    // Windows-1252 is a single-byte code page: no lead/trail byte pairs.
    ++at_;
    while (at_ < source_.size() && ContinuesSymbol(byte(at_))) ++at_;
    token.kind = TExprTokenKind::kSymbol;
    token.text = std::string(source_.substr(start, at_ - start));
    return token;
  }
  if (c == '[') {
    size_t close = source_.find(']', at_ + 1);
    if (close == std::string_view::npos) throw EDatabaseError("Unterminated field name");
    token.kind = TExprTokenKind::kName;
    token.text = std::string(source_.substr(at_ + 1, close - at_ - 1));
    at_ = close + 1;
    return token;
  }
  if (c == '\'') {
    ++at_;
    std::string text;
    for (;;) {
      if (at_ >= source_.size()) throw EDatabaseError("Unterminated string constant");
      char ch = source_[at_++];
      if (ch == '\'') {
        if (at_ < source_.size() && source_[at_] == '\'') {
          ++at_;
        } else {
          break;
        }
      }
      if (text.size() < kMaxStringLiteral) text += ch;
    }
    token.kind = TExprTokenKind::kString;
    token.text = std::move(text);
    return token;
  }
  if (c == '-' || IsDigit(c)) {
    ++at_;
    while (at_ < source_.size() && ContinuesNumber(byte(at_))) ++at_;
    token.kind = TExprTokenKind::kNumber;
    token.text = std::string(source_.substr(start, at_ - start));
    return token;
  }
  ++at_;
  switch (c) {
    case '(': token.kind = TExprTokenKind::kOpenParen; break;
    case ')': token.kind = TExprTokenKind::kCloseParen; break;
    case '=': token.kind = TExprTokenKind::kCompare; token.op = kOpEq; break;
    case '<':
      token.kind = TExprTokenKind::kCompare;
      token.op = kOpLt;
      if (at_ < source_.size() && source_[at_] == '>') {
        token.op = kOpNe;
        ++at_;
      } else if (at_ < source_.size() && source_[at_] == '=') {
        token.op = kOpLe;
        ++at_;
      }
      break;
    case '>':
      token.kind = TExprTokenKind::kCompare;
      token.op = kOpGt;
      if (at_ < source_.size() && source_[at_] == '=') {
        token.op = kOpGe;
        ++at_;
      }
      break;
    default:
      throw EDatabaseError::WithArg("Invalid filter expression character: '%s'",
                                    source_.substr(start, 1));
  }
  token.text = std::string(source_.substr(start, at_ - start));
  return token;
}

std::string TExprTokenizer::Describe(const TExprToken& token) {
  if (token.kind == TExprTokenKind::kEnd) return "nothing";
  return "'" + token.text + "'";
}

}  // namespace isam
