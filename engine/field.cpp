#include "engine/field.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/blob_stream.h"
#include "engine/data/data_file.h"
#include "engine/file/bcd.h"
#include "engine/filter/dataset_error.h"
#include "engine/file/field_values.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/session.h"
#include "engine/text/names.h"
#include "engine/table.h"

namespace isam {

namespace {
// Days between 1 January of year 1 (day 1) and 30 December 1899 (day 0 of
// the program's date-time values).
constexpr int32_t kDateDelta = 693594;

// A float as its text form takes it (15 significant digits).
std::string FormatDouble(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}
}  // namespace

std::optional<TFieldKind> FieldKindOf(uint8_t type, uint8_t subtype) {
  switch (type) {
    case kFieldString: return TFieldKind::String;
    case kFieldDate: return TFieldKind::Date;
    case kFieldBlob:
      switch (subtype) {
        case kSubtypeMemo: return TFieldKind::Memo;
        case kSubtypeFormattedMemo: return TFieldKind::FormattedMemo;
        case kSubtypeGraphic: return TFieldKind::Graphic;
        case kSubtypeTypedBinary: return TFieldKind::TypedBinary;
        case kSubtypeBinary:
        case kSubtypeBinary25:
        case kSubtypeBinary27: return TFieldKind::BinaryBlob;
        default: return std::nullopt;
      }
    case kFieldBoolean: return TFieldKind::Boolean;
    case kFieldInt16: return TFieldKind::SmallInt;
    case kFieldInt32: return subtype == kSubtypeAutoIncrement ? TFieldKind::AutoInc : TFieldKind::Integer;
    case kFieldFloat: return subtype == kSubtypeMoney ? TFieldKind::Currency : TFieldKind::Float;
    case kFieldBcd: return TFieldKind::Bcd;
    case kFieldBytes: return TFieldKind::Bytes;
    case kFieldTime: return TFieldKind::Time;
    case kFieldDateTime: return TFieldKind::DateTime;
    case kFieldUInt16: return TFieldKind::Word;
    case kFieldInt32Raw: return TFieldKind::Integer;
    case kFieldVarBytes: return TFieldKind::VarBytes;
    default: return std::nullopt;
  }
}

std::vector<TIsamFieldDef> MakeFieldDefs(const std::vector<TFieldDesc>& fields) {
  std::vector<TIsamFieldDef> defs;
  auto taken = [&](const std::string& name) {
    for (const TIsamFieldDef& def : defs)
      if (SameName(def.name, name)) return true;
    return false;
  };
  for (const TFieldDesc& desc : fields) {
    std::optional<TFieldKind> kind = FieldKindOf(desc.type, desc.subtype);
    if (!kind) continue;
    TIsamFieldDef def;
    def.name = desc.name;
    for (int n = 1; taken(def.name); ++n) {
      char name[300];
      std::snprintf(name, sizeof name, "%s_%d", desc.name.c_str(), n);
      def.name = name;
    }
    def.fieldNo = desc.number;
    def.kind = *kind;
    def.required = desc.required;
    switch (*kind) {
      case TFieldKind::String:
      case TFieldKind::Bytes:
      case TFieldKind::VarBytes: def.size = desc.declaredSize; break;
      case TFieldKind::Bcd:
        def.size = desc.declaredScale;
        def.precision = 20;
        break;
      default: break;
    }
    defs.push_back(std::move(def));
  }
  return defs;
}

TIsamField::TIsamField(TIsamTable& table, TIsamFieldDef def, const TFieldDesc& desc)
    : table_(table), def_(std::move(def)), desc_(desc), readOnly_(desc.IsAutoIncrement()) {}

void TIsamField::AccessError(const char* type) const {
  throw EDatabaseError("Cannot access field '" + def_.name + "' as type " + type);
}

bool TIsamField::IsInteger() const {
  switch (def_.kind) {
    case TFieldKind::SmallInt:
    case TFieldKind::Integer:
    case TFieldKind::AutoInc:
    case TFieldKind::Word: return true;
    default: return false;
  }
}

bool TIsamField::IsNull() const {
  table_.CheckActive();
  return table_.file_->IsNull(desc_, table_.ActiveImage());
}

std::vector<uint8_t> TIsamField::Data() const {
  table_.CheckActive();
  std::vector<uint8_t> data(desc_.storedSize);
  GetFieldData(desc_, table_.ActiveImage(), data.data());
  return data;
}

void TIsamField::PutData(const std::vector<uint8_t>& data) {
  uint8_t* image = table_.BeginFieldWrite(*this);
  PutFieldData(desc_, image, data.data());
  table_.EndFieldWrite(*this);
}

void TIsamField::Clear() {
  if (IsBlob()) {
    TIsamBlobStream stream(*this, TBlobStreamMode::bmWrite);
    return;
  }
  uint8_t* image = table_.BeginFieldWrite(*this);
  PutFieldNull(desc_, image);
  table_.EndFieldWrite(*this);
}

// ---------------------------------------------------------------- integers

int32_t TIsamField::IntegerValue() const {
  if (IsNull()) return 0;
  std::vector<uint8_t> d = Data();
  switch (def_.kind) {
    case TFieldKind::SmallInt: return GetI16(d.data());
    case TFieldKind::Word: return GetU16(d.data());
    case TFieldKind::Integer:
    case TFieldKind::AutoInc: return GetI32(d.data());
    case TFieldKind::Boolean: return GetU16(d.data()) != 0;
    case TFieldKind::Float:
    case TFieldKind::Currency:
    case TFieldKind::Bcd: return static_cast<int32_t>(std::nearbyint(FloatValue()));
    case TFieldKind::String: {
      std::string text = StringValue();
      char* end = nullptr;
      long value = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0') throw EDatabaseError("'" + text + "' is not a valid integer value");
      return static_cast<int32_t>(value);
    }
    default: AccessError("Integer");
  }
}

void TIsamField::SetIntegerValue(int32_t value) {
  std::vector<uint8_t> d(desc_.storedSize, 0);
  switch (def_.kind) {
    case TFieldKind::SmallInt:
      if (value < INT16_MIN || value > INT16_MAX) throw EDatabaseError(std::to_string(value) + " is not a valid value for field '" + def_.name + "'");
      PutI16(d.data(), static_cast<int16_t>(value));
      break;
    case TFieldKind::Word:
      if (value < 0 || value > UINT16_MAX) throw EDatabaseError(std::to_string(value) + " is not a valid value for field '" + def_.name + "'");
      PutU16(d.data(), static_cast<uint16_t>(value));
      break;
    case TFieldKind::Integer:
    case TFieldKind::AutoInc: PutI32(d.data(), value); break;
    case TFieldKind::Boolean: PutU16(d.data(), value != 0); break;
    case TFieldKind::Float:
    case TFieldKind::Currency:
    case TFieldKind::Bcd: return SetFloatValue(value);
    case TFieldKind::String: return SetStringValue(std::to_string(value));
    default: AccessError("Integer");
  }
  PutData(d);
}

// ---------------------------------------------------------------- Booleans

bool TIsamField::BooleanValue() const {
  if (IsNull()) return false;
  if (def_.kind == TFieldKind::Boolean) return GetU16(Data().data()) != 0;
  if (IsInteger()) return IntegerValue() != 0;
  if (def_.kind == TFieldKind::String) {
    std::string text = StringValue();
    return !text.empty() && (text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'y');
  }
  AccessError("Boolean");
}

void TIsamField::SetBooleanValue(bool value) {
  if (def_.kind == TFieldKind::Boolean) {
    std::vector<uint8_t> d(desc_.storedSize, 0);
    PutU16(d.data(), value ? 1 : 0);
    return PutData(d);
  }
  if (IsInteger()) return SetIntegerValue(value ? 1 : 0);
  if (def_.kind == TFieldKind::String) return SetStringValue(value ? "True" : "False");
  AccessError("Boolean");
}

// ---------------------------------------------------------------- floats and moments

double TIsamField::FloatValue() const {
  if (IsNull()) return 0;
  std::vector<uint8_t> d = Data();
  switch (def_.kind) {
    case TFieldKind::Float:
    case TFieldKind::Currency: return GetF64(d.data());
    case TFieldKind::Bcd: return DecodeBcd(GetI64(d.data()));
    case TFieldKind::Date:
    case TFieldKind::Time:
    case TFieldKind::DateTime: return DateTimeValue();
    case TFieldKind::String: {
      std::optional<double> value = ParseNumber(StringValue());
      if (!value) throw EDatabaseError("'" + StringValue() + "' is not a valid floating point value");
      return *value;
    }
    default:
      if (IsInteger() || def_.kind == TFieldKind::Boolean) return IntegerValue();
      AccessError("Float");
  }
}

void TIsamField::SetFloatValue(double value) {
  std::vector<uint8_t> d(desc_.storedSize, 0);
  switch (def_.kind) {
    case TFieldKind::Float:
    case TFieldKind::Currency: PutF64(d.data(), value); break;
    case TFieldKind::Bcd: {
      std::optional<int64_t> stored = EncodeBcd(value, desc_.storedScale);
      if (!stored) throw EDatabaseError(FormatDouble(value) + " is not a valid value for field '" + def_.name + "'");
      PutI64(d.data(), *stored);
      break;
    }
    case TFieldKind::Date:
    case TFieldKind::Time:
    case TFieldKind::DateTime: return SetDateTimeValue(value);
    case TFieldKind::String: return SetStringValue(FormatDouble(value));
    default:
      if (IsInteger()) return SetIntegerValue(static_cast<int32_t>(std::nearbyint(value)));
      AccessError("Float");
  }
  PutData(d);
}

double TIsamField::DateTimeValue() const {
  if (IsNull()) return 0;
  std::vector<uint8_t> d = Data();
  switch (def_.kind) {
    case TFieldKind::Date: return GetI32(d.data()) - kDateDelta;
    case TFieldKind::Time: return GetI32(d.data()) / kMillisecondsPerDay;
    case TFieldKind::DateTime: return GetF64(d.data()) / kMillisecondsPerDay - kDateDelta;
    default: AccessError("DateTime");
  }
}

void TIsamField::SetDateTimeValue(double value) {
  std::vector<uint8_t> d(desc_.storedSize, 0);
  double days = std::floor(value);
  double milliseconds = std::nearbyint((value - days) * kMillisecondsPerDay);
  switch (def_.kind) {
    case TFieldKind::Date: PutI32(d.data(), static_cast<int32_t>(days) + kDateDelta); break;
    case TFieldKind::Time: PutI32(d.data(), static_cast<int32_t>(milliseconds)); break;
    case TFieldKind::DateTime: PutF64(d.data(), (days + kDateDelta) * kMillisecondsPerDay + milliseconds); break;
    default: AccessError("DateTime");
  }
  PutData(d);
}

// ---------------------------------------------------------------- text and bytes

namespace {

// A blob field's whole value, read straight into the container the caller
// returns (a string or a byte vector: no copy between them).
template <class Bytes>
Bytes WholeBlob(TIsamField& field) {
  if (field.IsNull()) return {};
  TIsamBlobStream stream(field, TBlobStreamMode::bmRead);
  Bytes bytes(stream.Size(), 0);
  bytes.resize(stream.Read(bytes.data(), static_cast<uint32_t>(bytes.size())));
  return bytes;
}

}  // namespace

std::string TIsamField::StringValue() const {
  if (IsBlob()) return WholeBlob<std::string>(*const_cast<TIsamField*>(this));
  if (IsNull()) return {};
  std::vector<uint8_t> d = Data();
  switch (def_.kind) {
    case TFieldKind::String: {
      size_t length = 0;
      while (length < d.size() && d[length] != 0) ++length;
      return std::string(reinterpret_cast<const char*>(d.data()), length);
    }
    case TFieldKind::Boolean: return BooleanValue() ? "True" : "False";
    case TFieldKind::Bytes:
    case TFieldKind::VarBytes: return std::string(d.begin(), d.end());
    case TFieldKind::Float:
    case TFieldKind::Currency: return FormatDouble(FloatValue());
    case TFieldKind::Bcd: return FormatBcdShort(GetI64(d.data()));
    case TFieldKind::Date:
    case TFieldKind::DateTime:
    case TFieldKind::Time: {
      char text[64] = "";
      if (def_.kind != TFieldKind::Time) {
        int year, month, day;
        int32_t dayNumber = def_.kind == TFieldKind::Date ? GetI32(d.data())
                                                          : int32_t(std::floor(GetF64(d.data()) / kMillisecondsPerDay));
        CivilFromDayNumber(dayNumber, &year, &month, &day);
        std::snprintf(text, sizeof text, "%d/%d/%04d", month, day, year);
      }
      if (def_.kind != TFieldKind::Date) {
        int64_t ms = def_.kind == TFieldKind::Time
                         ? GetI32(d.data())
                         : int64_t(std::fmod(GetF64(d.data()), kMillisecondsPerDay));
        char time[32];
        std::snprintf(time, sizeof time, "%s%d:%02d:%02d", def_.kind == TFieldKind::Time ? "" : " ",
                      int(ms / 3600000), int(ms / 60000 % 60), int(ms / 1000 % 60));
        std::string joined = std::string(text) + time;
        return joined;
      }
      return text;
    }
    default:
      if (IsInteger()) return std::to_string(IntegerValue());
      AccessError("String");
  }
}

void TIsamField::SetStringValue(std::string_view value) {
  if (IsBlob()) {
    TIsamBlobStream stream(*this, TBlobStreamMode::bmWrite);
    stream.Write(value.data(), static_cast<uint32_t>(value.size()));
    return;
  }
  switch (def_.kind) {
    case TFieldKind::String: {
      uint8_t* image = table_.BeginFieldWrite(*this);
      PutFieldString(desc_, image, value);
      table_.EndFieldWrite(*this);
      return;
    }
    case TFieldKind::Bytes:
    case TFieldKind::VarBytes: return SetBytesValue(std::vector<uint8_t>(value.begin(), value.end()));
    default: break;
  }
  if (value.empty()) return Clear();
  std::vector<uint8_t> d(desc_.storedSize, 0);
  std::string error;
  if (!EncodeValueText(desc_, value, d.data(), &error)) throw EDatabaseError(error);
  PutData(d);
}

std::vector<uint8_t> TIsamField::BytesValue() const {
  if (IsBlob()) return WholeBlob<std::vector<uint8_t>>(*const_cast<TIsamField*>(this));
  return Data();
}

void TIsamField::SetBytesValue(const std::vector<uint8_t>& value) {
  if (IsBlob()) {
    TIsamBlobStream stream(*this, TBlobStreamMode::bmWrite);
    stream.Write(value.data(), static_cast<uint32_t>(value.size()));
    return;
  }
  std::vector<uint8_t> d(desc_.storedSize, 0);
  std::copy_n(value.begin(), std::min(value.size(), d.size()), d.begin());
  PutData(d);
}

}  // namespace isam
