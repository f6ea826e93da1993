// TDataFile: field descriptors by number and name, null tests, new records
// with their defaults, and the checks of a record before it is saved.
#include "engine/data/data_file.h"

#include <cstring>

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/text/names.h"
#include "engine/file/field_values.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"

namespace isam {

int TDataFile::FieldByNumber(uint16_t number, const TFieldDesc** field) {
  if (number < 1 || number > fields_.size()) return Fail(kInvalidField, std::to_string(number));
  *field = &fields_[number - 1];
  return kOk;
}

int TDataFile::FieldByName(std::string_view name, const TFieldDesc** field) {
  for (const TFieldDesc& f : fields_) {
    if (SameName(f.name, name)) {
      *field = &f;
      return kOk;
    }
  }
  return Fail(kInvalidField, name);
}

bool TDataFile::IsNull(const TFieldDesc& field, const uint8_t* image) {
  if (field.IsBlob() && blob_) {
    int32_t reference = GetI32(image + field.DataOffset());
    if (reference < 0 && blob_->IsOpenHandle(reference)) return blob_->OpenBlobSize(reference) == 0;
  }
  return FieldIsNull(field, image);
}

int TDataFile::GetField(uint16_t number, const uint8_t* image, uint8_t* data, bool* isNull) {
  const TFieldDesc* field = nullptr;
  if (int rc = FieldByNumber(number, &field)) return rc;
  *isNull = IsNull(*field, image);
  if (field->IsBlob()) {
    std::memcpy(data, image + field->DataOffset(), field->storedSize);
  } else {
    GetFieldData(*field, image, data);
  }
  return kOk;
}

std::string TDataFile::InitRecord(uint8_t* image) {
  std::memset(image, 0, header_.recordSize);
  if (!hasDefaults_) return {};
  for (const TFieldDesc& f : fields_) {
    if (f.defaultText.empty() || f.IsComputed() || f.IsBlob()) continue;
    if (f.type == kFieldString) {
      PutFieldString(f, image, f.defaultText);
      continue;
    }
    std::vector<uint8_t> data(f.storedSize);
    std::string error;
    if (!EncodeValueText(f, f.defaultText, data.data(), &error)) return error;
    PutFieldData(f, image, data.data());
  }
  return {};
}

int TDataFile::Validate(const uint8_t* image) {
  if (!hasValidity_) return kOk;
  std::vector<uint8_t> value;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const TFieldDesc& f = fields_[i];
    if (f.IsComputed()) continue;
    if (f.required && IsNull(f, image)) return Fail(kValueRequired, f.name);
    if (minimums_[i].empty() && maximums_[i].empty()) continue;
    value.assign(f.storedSize, 0);
    GetFieldData(f, image, value.data());
    if (!minimums_[i].empty() && CompareStoredValues(f, value.data(), minimums_[i].data()) < 0)
      return Fail(kBelowMinimum, f.name);
    if (!maximums_[i].empty() && CompareStoredValues(f, value.data(), maximums_[i].data()) > 0)
      return Fail(kAboveMaximum, f.name);
  }
  return kOk;
}

}  // namespace isam
