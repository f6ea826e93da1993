#include "engine/filter/filter_field.h"
#include "engine/text/names.h"


namespace isam {

const TFilterField* FindFilterField(const TFilterFieldList& fields, std::string_view name) {
  for (const TFilterField& field : fields) {
    if (SameName(field.name, name)) return &field;
  }
  return nullptr;
}

}  // namespace isam
