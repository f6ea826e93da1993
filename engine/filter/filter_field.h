#pragma once
// What the filter parser needs to know of a dataset's fields. The cursor layer
// fills the list from its field definitions.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace isam {

struct TFilterField {
  std::string name;
  uint16_t fieldNo = 0;   // the dataset field's FieldNo, 1-based
  uint8_t type = 0;       // engine field type code (TFieldType)
  uint8_t subtype = 0;    // engine subtype (money, memo, auto-increment, ...)
  uint16_t size = 0;      // declared size: the length of a string field
  uint8_t scale = 0;      // decimal places of a BCD field
  bool usable = true;     // a data field or an internal calculated field
};

using TFilterFieldList = std::vector<TFilterField>;

// The first field of that name, compared without regard to case; null if none.
const TFilterField* FindFilterField(const TFilterFieldList& fields, std::string_view name);

}  // namespace isam
