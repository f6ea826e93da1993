#pragma once
// Dataset errors: failures of the table cursor layer and of the filter parser
// whose message is a fixed text ("Field '%s' not found", "Missing table
// name.", ...). Engine failures with a code are EIsamEngineError instead.
#include <stdexcept>
#include <string>
#include <string_view>

namespace isam {

class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message) : std::runtime_error(message) {}

  // The message made from a pattern whose first "%s" is replaced by arg.
  static EDatabaseError WithArg(std::string_view pattern, std::string_view arg);
};

// Replaces the first "%s" of pattern by arg (the pattern as it is when it has none).
std::string FormatDatabaseMessage(std::string_view pattern, std::string_view arg);

}  // namespace isam
