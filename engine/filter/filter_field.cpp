#include "engine/filter/filter_field.h"

#include <strings.h>

namespace isam {

const TFilterField* FindFilterField(const TFilterFieldList& fields, std::string_view name) {
  for (const TFilterField& field : fields) {
    if (field.name.size() == name.size() &&
        strncasecmp(field.name.data(), name.data(), name.size()) == 0)
      return &field;
  }
  return nullptr;
}

}  // namespace isam
