#include "engine/file/record_fields.h"

#include <cstring>

#include "engine/file/le.h"

namespace isam {

bool FieldIsNull(const TFieldDesc& field, const uint8_t* image) {
  if (field.IsAutoIncrement()) return false;
  if (field.IsComputed()) return true;
  return image[field.offset] == 0;
}

void GetFieldData(const TFieldDesc& field, const uint8_t* image, uint8_t* data) {
  if (field.IsComputed() || FieldIsNull(field, image)) {
    std::memset(data, 0, field.storedSize);
    return;
  }
  std::memcpy(data, image + field.DataOffset(), field.storedSize);
}

void PutFieldData(const TFieldDesc& field, uint8_t* image, const uint8_t* data) {
  if (field.IsComputed()) return;
  uint8_t* at = image + field.DataOffset();
  std::memcpy(at, data, field.storedSize);
  if (field.IsAutoIncrement()) return;
  bool hasValue = true;
  if (field.type == kFieldBoolean) {
    if (GetU16(at) > 1) PutU16(at, 1);
  } else if (field.type == kFieldBlob) {
    hasValue = GetI32(at) != 0;
  }
  image[field.offset] = hasValue ? 1 : 0;
}

void PutFieldString(const TFieldDesc& field, uint8_t* image, std::string_view text) {
  if (field.IsComputed()) return;
  text = text.substr(0, field.declaredSize);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  uint8_t* at = image + field.DataOffset();
  std::memset(at, 0, field.storedSize);
  std::memcpy(at, text.data(), text.size());
  image[field.offset] = text.empty() ? 0 : 1;
}

void PutFieldNull(const TFieldDesc& field, uint8_t* image) {
  if (field.IsComputed() || field.IsAutoIncrement()) return;
  image[field.offset] = 0;
  std::memset(image + field.DataOffset(), 0, field.storedSize);
}

}  // namespace isam
