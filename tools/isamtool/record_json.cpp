#include "tools/isamtool/record_json.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <strings.h>

#include "engine/blob/blob_file.h"
#include "engine/errors.h"
#include "engine/file/bcd.h"
#include "engine/file/field_values.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/text/cp1252.h"
#include "tools/isamtool/base64.h"

namespace isamtool {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;
using namespace isam;

bool IsTextBlob(const TFieldDesc& f) {
  return f.IsBlob() && (f.subtype == kSubtypeMemo || f.subtype == kSubtypeFormattedMemo);
}

std::string FormatDate(int32_t day) {
  int y, m, d;
  CivilFromDayNumber(day, &y, &m, &d);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

std::string FormatTime(int64_t ms) {
  char text[20];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", int(ms / 3600000), int(ms / 60000 % 60),
                int(ms / 1000 % 60), int(ms % 1000));
  return text;
}

[[noreturn]] void Wrong(const TFieldDesc& f, const char* expected) {
  throw std::runtime_error("field " + Cp1252ToUtf8(f.name) + " needs " + expected);
}

std::string ToCp1252(const TFieldDesc& f, const json& value) {
  if (!value.is_string()) Wrong(f, "a string");
  auto bytes = Utf8ToCp1252(value.get<std::string>());
  if (!bytes) throw std::runtime_error("field " + Cp1252ToUtf8(f.name) + " holds a character outside Windows-1252");
  return *bytes;
}

std::string BlobBytes(TDataFile& table, const TFieldDesc& f, const uint8_t* image, uint32_t slot) {
  std::vector<uint8_t> copy(image, image + table.RecordSize());
  TBlobFile* blob = table.Blob();
  if (!blob || GetI32(copy.data() + f.DataOffset()) == 0) return {};
  Check(blob->OpenBlob(copy.data(), f.number, slot));
  uint32_t size = 0;
  blob->GetBlobSize(copy.data(), f.number, &size);
  std::string bytes(size, '\0');
  uint32_t done = 0;
  int rc = blob->ReadBlob(copy.data(), f.number, 0, size, bytes.data(), &done);
  blob->CloseBlob(copy.data(), f.number);
  if (rc != kOk) ThrowEngineError(rc);
  return bytes;
}

ordered_json FieldToJson(TDataFile& table, const TFieldDesc& f, const uint8_t* image, uint32_t slot) {
  if (table.IsNull(f, image)) return nullptr;
  const uint8_t* at = image + f.DataOffset();
  switch (f.type) {
    case kFieldString: return Cp1252ToUtf8(std::string(reinterpret_cast<const char*>(at), strnlen(reinterpret_cast<const char*>(at), f.storedSize)));
    case kFieldBlob: {
      std::string bytes = BlobBytes(table, f, image, slot);
      if (IsTextBlob(f)) return Cp1252ToUtf8(bytes);
      return ordered_json{{"base64", Base64Encode(bytes)}};
    }
    case kFieldBoolean: return GetU16(at) != 0;
    case kFieldInt16: return GetI16(at);
    case kFieldUInt16: return GetU16(at);
    case kFieldInt32:
    case kFieldInt32Raw: return GetI32(at);
    case kFieldFloat: return GetF64(at);
    case kFieldBcd: return FormatBcd(GetI64(at), f.storedScale);
    case kFieldDate: return FormatDate(GetI32(at));
    case kFieldTime: return FormatTime(GetI32(at));
    case kFieldDateTime: {
      double moment = GetF64(at);
      int32_t day = static_cast<int32_t>(std::floor(moment / kMillisecondsPerDay));
      int64_t ms = static_cast<int64_t>(std::llround(moment - day * kMillisecondsPerDay));
      return FormatDate(day) + "T" + FormatTime(ms);
    }
    default:
      return ordered_json{{"base64", Base64Encode(std::string(reinterpret_cast<const char*>(at), f.storedSize))}};
  }
}

int ParseFixed(const std::string& s, size_t at, size_t n) {
  if (at + n > s.size()) return -1;
  int v = 0;
  for (size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return -1;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

int32_t ParseIsoDate(const TFieldDesc& f, const std::string& s) {
  int y = ParseFixed(s, 0, 4), m = ParseFixed(s, 5, 2), d = ParseFixed(s, 8, 2);
  if (s.size() < 10 || s[4] != '-' || s[7] != '-' || y < 1 || m < 1 || m > 12 || d < 1 || d > 31)
    Wrong(f, "a date \"YYYY-MM-DD\"");
  int32_t day = DayNumber(y, m, d);
  int yy, mm, dd;
  CivilFromDayNumber(day, &yy, &mm, &dd);
  if (mm != m) Wrong(f, "an existing date");
  return day;
}

int32_t ParseIsoTime(const TFieldDesc& f, const std::string& s) {
  int h = ParseFixed(s, 0, 2), m = ParseFixed(s, 3, 2), sec = ParseFixed(s, 6, 2);
  int ms = s.size() > 8 ? ParseFixed(s, 9, 3) : 0;
  if (s.size() < 8 || s[2] != ':' || s[5] != ':' || h < 0 || h > 23 || m < 0 || m > 59 || sec < 0 ||
      sec > 59 || ms < 0 || (s.size() > 8 && (s.size() != 12 || s[8] != '.')))
    Wrong(f, "a time \"HH:MM:SS.mmm\"");
  return ((h * 60 + m) * 60 + sec) * 1000 + ms;
}

void WriteBlob(TDataFile& table, const TFieldDesc& f, uint8_t* image, uint32_t slot, const std::string& bytes) {
  TBlobFile* blob = table.Blob();
  Check(blob->OpenBlob(image, f.number, slot));
  Check(blob->SetBlobSize(image, f.number, 0));
  if (!bytes.empty()) Check(blob->WriteBlob(image, f.number, 0, static_cast<uint32_t>(bytes.size()), bytes.data()));
}

}  // namespace

ordered_json RecordToJson(TDataFile& table, uint32_t slot, const uint8_t* image) {
  ordered_json record;
  record["_slot"] = slot;
  for (const TFieldDesc& f : table.Fields()) {
    if (f.IsComputed()) continue;
    record[Cp1252ToUtf8(f.name)] = FieldToJson(table, f, image, slot);
  }
  return record;
}

void JsonToField(TDataFile& table, const TFieldDesc& f, const json& value, uint8_t* image, uint32_t slot) {
  if (f.IsAutoIncrement() || f.IsComputed()) return;
  if (value.is_null()) {
    if (f.IsBlob()) WriteBlob(table, f, image, slot, {});
    else PutFieldNull(f, image);
    return;
  }
  std::vector<uint8_t> data(f.storedSize, 0);
  auto base64 = [&]() {
    if (!value.is_object() || !value.contains("base64") || !value["base64"].is_string())
      Wrong(f, "{\"base64\": \"...\"}");
    auto bytes = Base64Decode(value["base64"].get<std::string>());
    if (!bytes) Wrong(f, "valid base64");
    return *bytes;
  };
  switch (f.type) {
    case kFieldString: PutFieldString(f, image, ToCp1252(f, value)); return;
    case kFieldBlob: WriteBlob(table, f, image, slot, IsTextBlob(f) ? ToCp1252(f, value) : base64()); return;
    case kFieldBoolean:
      if (!value.is_boolean()) Wrong(f, "true or false");
      PutU16(data.data(), value.get<bool>() ? 1 : 0);
      break;
    case kFieldInt16:
    case kFieldUInt16:
    case kFieldInt32:
    case kFieldInt32Raw: {
      if (!value.is_number_integer()) Wrong(f, "an integer");
      int64_t v = value.get<int64_t>();
      bool fits = f.type == kFieldInt16 ? v >= -32768 && v <= 32767
                  : f.type == kFieldUInt16 ? v >= 0 && v <= 65535
                                            : v >= INT32_MIN && v <= INT32_MAX;
      if (!fits) Wrong(f, "an integer in its range");
      if (f.type == kFieldInt16) PutI16(data.data(), int16_t(v));
      else if (f.type == kFieldUInt16) PutU16(data.data(), uint16_t(v));
      else PutI32(data.data(), int32_t(v));
      break;
    }
    case kFieldFloat:
      if (!value.is_number()) Wrong(f, "a number");
      PutF64(data.data(), value.get<double>());
      break;
    case kFieldBcd: {
      // A string keeps every digit; a JSON number is what the JSON reader made of it.
      auto stored = value.is_string() ? ParseBcd(value.get<std::string>(), f.storedScale)
                    : value.is_number() ? ParseBcd(value.dump(), f.storedScale)
                                        : std::nullopt;
      if (!stored) Wrong(f, "a decimal string in its range");
      PutI64(data.data(), *stored);
      break;
    }
    case kFieldDate:
      if (!value.is_string()) Wrong(f, "a date string");
      PutI32(data.data(), ParseIsoDate(f, value.get<std::string>()));
      break;
    case kFieldTime:
      if (!value.is_string()) Wrong(f, "a time string");
      PutI32(data.data(), ParseIsoTime(f, value.get<std::string>()));
      break;
    case kFieldDateTime: {
      if (!value.is_string()) Wrong(f, "a date-time string");
      std::string s = value.get<std::string>();
      if (s.size() < 19 || s[10] != 'T') Wrong(f, "a date-time \"YYYY-MM-DDTHH:MM:SS.mmm\"");
      double moment = ParseIsoDate(f, s.substr(0, 10)) * kMillisecondsPerDay + ParseIsoTime(f, s.substr(11));
      PutF64(data.data(), moment);
      break;
    }
    default: {
      std::string bytes = base64();
      if (bytes.size() > f.storedSize) Wrong(f, "no more bytes than its size");
      std::memcpy(data.data(), bytes.data(), bytes.size());
      break;
    }
  }
  PutFieldData(f, image, data.data());
}

void JsonToRecord(TDataFile& table, const json& object, uint8_t* image) {
  if (!object.is_object()) throw std::runtime_error("every line must be a JSON object");
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it.key() == "_slot") continue;
    auto name = Utf8ToCp1252(it.key());
    const TFieldDesc* field = nullptr;
    if (!name || table.FieldByName(*name, &field) != kOk)
      throw std::runtime_error("no field named " + it.key());
    JsonToField(table, *field, it.value(), image, 0);
  }
}

}  // namespace isamtool
