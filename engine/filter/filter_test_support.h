#pragma once
// Test helpers: a table schema made of field descriptors and record images
// written field by field.
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/file/bcd.h"
#include "engine/file/field_desc.h"
#include "engine/file/field_values.h"
#include "engine/file/le.h"
#include "engine/filter/filter_field.h"

namespace isam::filter_testing {

struct TestField {
  std::string name;
  uint8_t type;
  uint8_t subtype = 0;
  uint8_t declaredSize = 0;
  uint8_t scale = 0;
};

class TestSchema {
 public:
  explicit TestSchema(const std::vector<TestField>& definitions) {
    uint16_t offset = kRecordPrefixSize;
    uint16_t number = 1;
    for (const TestField& def : definitions) {
      TFieldDesc d;
      d.number = number++;
      d.name = def.name;
      d.type = def.type;
      d.subtype = def.subtype;
      d.declaredSize = def.declaredSize;
      d.declaredScale = d.storedScale = def.scale;
      d.storedSize = StoredSizeFor(def.type, def.declaredSize);
      if (d.IsAutoIncrement()) {
        d.offset = kAutoIncrementOffset;
      } else {
        d.offset = offset;
        offset = uint16_t(offset + d.storedSize + 1);
      }
      fields_.push_back(d);
    }
    recordSize_ = offset;
  }

  const std::vector<TFieldDesc>& fields() const { return fields_; }
  uint16_t recordSize() const { return recordSize_; }

  const TFieldDesc& Field(const std::string& name) const {
    for (const TFieldDesc& d : fields_)
      if (d.name == name) return d;
    throw std::logic_error("no field " + name);
  }

  TFilterFieldList FilterFields() const {
    TFilterFieldList list;
    for (const TFieldDesc& d : fields_)
      list.push_back({d.name, d.number, d.type, d.subtype, d.declaredSize, d.storedScale, true});
    return list;
  }

 private:
  std::vector<TFieldDesc> fields_;
  uint16_t recordSize_ = 0;
};

// A record image; every field starts blank.
class TestRecord {
 public:
  explicit TestRecord(const TestSchema& schema)
      : schema_(&schema), image_(schema.recordSize(), 0) {}

  const uint8_t* data() const { return image_.data(); }
  const std::vector<uint8_t>& image() const { return image_; }

  TestRecord& Null(const std::string& name) {
    const TFieldDesc& d = schema_->Field(name);
    std::memset(&image_[d.offset], 0, d.storedSize + 1u);
    return *this;
  }
  TestRecord& Str(const std::string& name, const std::string& text) {
    uint8_t* p = Data(name);
    std::memset(p, 0, schema_->Field(name).storedSize);
    std::memcpy(p, text.data(), std::min<size_t>(text.size(), schema_->Field(name).declaredSize));
    return *this;
  }
  TestRecord& Int(const std::string& name, int64_t v) {
    const TFieldDesc& d = schema_->Field(name);
    uint8_t* p = Data(name);
    if (d.type == kFieldInt16) PutI16(p, int16_t(v));
    else if (d.type == kFieldUInt16 || d.type == kFieldBoolean) PutU16(p, uint16_t(v));
    else PutI32(p, int32_t(v));
    return *this;
  }
  TestRecord& Float(const std::string& name, double v) {
    PutF64(Data(name), v);
    return *this;
  }
  TestRecord& Bcd(const std::string& name, double v) {
    PutI64(Data(name), EncodeBcd(v, schema_->Field(name).storedScale).value());
    return *this;
  }

 private:
  uint8_t* Data(const std::string& name) {
    const TFieldDesc& d = schema_->Field(name);
    if (!d.IsAutoIncrement()) image_[d.offset] = 1;
    return &image_[d.DataOffset()];
  }

  const TestSchema* schema_;
  std::vector<uint8_t> image_;
};

}  // namespace isam::filter_testing
