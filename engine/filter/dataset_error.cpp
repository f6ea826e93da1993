#include "engine/filter/dataset_error.h"

namespace isam {

std::string FormatDatabaseMessage(std::string_view pattern, std::string_view arg) {
  std::string message(pattern);
  size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, arg);
  return message;
}

EDatabaseError EDatabaseError::WithArg(std::string_view pattern, std::string_view arg) {
  return EDatabaseError(FormatDatabaseMessage(pattern, arg));
}

}  // namespace isam
