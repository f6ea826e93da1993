#pragma once
// Field definitions and field accessors of a table cursor.
//
// One definition per field descriptor of the data file, numbered from 1 in
// descriptor order; a name already taken gets "_1", "_2", ... The accessor
// reads and writes the cursor's active buffer (the key buffer while a key is
// being entered).
//
// Text is the table files' own bytes (Windows-1252): StringValue neither
// converts nor checks the encoding; the user interface converts at its
// boundary (engine/text/cp1252.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file/field_desc.h"

namespace isam {

class TIsamTable;

enum class TFieldKind {
  String,
  Date,
  Memo,
  BinaryBlob,
  FormattedMemo,
  Graphic,
  TypedBinary,
  Boolean,
  SmallInt,       // 16-bit integer
  Integer,        // 32-bit integer
  AutoInc,        // auto-increment 32-bit integer
  Float,
  Currency,
  Bcd,
  Bytes,
  Time,
  DateTime,
  Word,           // 16-bit unsigned integer
  VarBytes,
};

struct TIsamFieldDef {
  std::string name;
  uint16_t fieldNo = 0;  // 1-based, in descriptor order
  TFieldKind kind = TFieldKind::String;
  int size = 0;          // strings and bytes: the field length; BCD: the scale
  int precision = 0;     // BCD: 20
  bool required = false;
};

// The kind of a type code and subtype; nothing for codes without a kind.
std::optional<TFieldKind> FieldKindOf(uint8_t type, uint8_t subtype);
// Definitions for a data file's descriptors, duplicate names suffixed.
std::vector<TIsamFieldDef> MakeFieldDefs(const std::vector<TFieldDesc>& fields);

class TIsamField {
 public:
  TIsamField(TIsamTable& table, TIsamFieldDef def, const TFieldDesc& desc);
  TIsamField(const TIsamField&) = delete;
  TIsamField& operator=(const TIsamField&) = delete;

  const std::string& FieldName() const { return def_.name; }
  uint16_t FieldNo() const { return def_.fieldNo; }
  TFieldKind Kind() const { return def_.kind; }
  int Size() const { return def_.size; }
  const TIsamFieldDef& Def() const { return def_; }
  const TFieldDesc& Desc() const { return desc_; }
  TIsamTable& Table() const { return table_; }
  bool IsBlob() const { return desc_.IsBlob(); }
  // Auto-increment fields are read-only; others may be made so.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  bool IsNull() const;
  void Clear();  // stores null

  // Conversions follow the field's kind; a value that does not fit the kind
  // raises EDatabaseError. A null value reads as 0, "", false.
  int32_t IntegerValue() const;
  void SetIntegerValue(int32_t value);
  std::string StringValue() const;  // memo fields: the whole value
  void SetStringValue(std::string_view value);
  bool BooleanValue() const;
  void SetBooleanValue(bool value);
  double FloatValue() const;
  void SetFloatValue(double value);
  // Days since 30 December 1899, the time as the fraction.
  double DateTimeValue() const;
  void SetDateTimeValue(double value);
  // The raw data (bytes and variable-bytes fields; blob contents).
  std::vector<uint8_t> BytesValue() const;
  void SetBytesValue(const std::vector<uint8_t>& value);

 private:
  std::vector<uint8_t> Data() const;  // the stored data area
  void PutData(const std::vector<uint8_t>& data);
  [[noreturn]] void AccessError(const char* type) const;
  bool IsInteger() const;

  TIsamTable& table_;
  TIsamFieldDef def_;
  const TFieldDesc& desc_;
  bool readOnly_;
};

}  // namespace isam
