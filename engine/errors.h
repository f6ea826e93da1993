#pragma once
// The errors callers of the table interface see: EIsamEngineError, built from
// a code (engine/file/error_codes.h) and the last-error context the failing
// layer stored with ReportError(), and the dataset errors with fixed texts.
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/file/error_codes.h"
#include "engine/filter/dataset_error.h"

namespace isam {

// The text of a code under a context, cut to 127 characters.
std::string ErrorText(int code, const ErrorContext& context);
// "ISAM Engine Error # " + code + " " + text.
std::string ErrorMessage(int code, const ErrorContext& context);

struct TIsamError {
  int code;
  std::string text;
};

class EIsamEngineError : public std::runtime_error {
 public:
  EIsamEngineError(int code, const ErrorContext& context);

  int code() const { return code_; }
  const std::vector<TIsamError>& errors() const { return errors_; }

 private:
  int code_;
  std::vector<TIsamError> errors_;
};

// Raises the error for a code with the current session's last-error context.
[[noreturn]] void ThrowEngineError(int code);
// Raises when code is not 0.
inline void Check(int code) {
  if (code != kOk) ThrowEngineError(code);
}

}  // namespace isam
