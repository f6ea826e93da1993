#include "tools/isamtool/schema.h"

#include <stdexcept>

#include "engine/data/data_file.h"
#include "engine/index/index_defs.h"
#include "engine/index/index_file.h"
#include "engine/text/cp1252.h"
#include "engine/text/names.h"

namespace isamtool {
namespace {

using nlohmann::json;

std::string Text(const json& value, const char* what) {
  if (!value.is_string()) throw std::runtime_error(std::string(what) + " must be a string");
  auto bytes = isam::Utf8ToCp1252(value.get<std::string>());
  if (!bytes) throw std::runtime_error(std::string(what) + " holds a character outside Windows-1252");
  return *bytes;
}

template <typename T>
T Number(const json& object, const char* key, T fallback, long low, long high) {
  if (!object.contains(key)) return fallback;
  const json& value = object[key];
  if (!value.is_number_integer() || value.get<long>() < low || value.get<long>() > high)
    throw std::runtime_error(std::string("\"") + key + "\" must be an integer from " + std::to_string(low) +
                             " to " + std::to_string(high));
  return static_cast<T>(value.get<long>());
}

bool Flag(const json& object, const char* key) {
  if (!object.contains(key)) return false;
  if (!object[key].is_boolean()) throw std::runtime_error(std::string("\"") + key + "\" must be true or false");
  return object[key].get<bool>();
}

}  // namespace

isam::TTableDef TableDefFromJson(const json& schema) {
  if (!schema.is_object() || !schema.contains("fields") || !schema["fields"].is_array())
    throw std::runtime_error("the schema needs a \"fields\" array");
  isam::TTableDef def;
  for (const json& f : schema["fields"]) {
    if (!f.is_object() || !f.contains("name")) throw std::runtime_error("every field needs a \"name\"");
    isam::TFieldDef field;
    field.name = Text(f["name"], "a field name");
    field.type = Number<uint8_t>(f, "type", 0, 1, 15);
    field.subtype = Number<uint8_t>(f, "subtype", 0, 0, 255);
    field.size = Number<uint8_t>(f, "size", 0, 0, 250);
    field.scale = Number<uint8_t>(f, "scale", 0, 0, 4);
    field.required = Flag(f, "required");
    if (f.contains("min")) field.minText = Text(f["min"], "\"min\"");
    if (f.contains("max")) field.maxText = Text(f["max"], "\"max\"");
    if (f.contains("default")) field.defaultText = Text(f["default"], "\"default\"");
    def.fields.push_back(std::move(field));
  }
  if (schema.contains("indexes")) {
    for (const json& x : schema["indexes"]) {
      isam::TIndexDef index;
      if (x.contains("name")) index.name = Text(x["name"], "an index name");
      index.primary = Flag(x, "primary");
      index.unique = Flag(x, "unique");
      index.caseInsensitive = Flag(x, "caseInsensitive");
      index.descending = Flag(x, "descending");
      index.compression = Number<uint8_t>(x, "compression", 0, 0, 3);
      if (!x.contains("fields") || !x["fields"].is_array())
        throw std::runtime_error("index \"" + index.name + "\" needs a \"fields\" array");
      for (const json& name : x["fields"]) {
        std::string wanted = Text(name, "an index field");
        size_t i = 0;
        while (i < def.fields.size() && !isam::SameName(def.fields[i].name, wanted)) ++i;
        if (i == def.fields.size()) throw std::runtime_error("index field " + wanted + " is not a field");
        index.fields.push_back(static_cast<uint16_t>(i + 1));
      }
      if (x.contains("fieldDescending")) {
        for (const json& d : x["fieldDescending"]) index.fieldDescending.push_back(d.get<bool>());
      }
      def.indexes.push_back(std::move(index));
    }
  }
  def.blobBlockSize = Number<uint32_t>(schema, "blobBlockSize", 512, 64, 65536);
  def.languageId = Number<uint16_t>(schema, "languageId", 0, 0, 65535);
  def.sortId = Number<uint16_t>(schema, "sortId", 0, 0, 65535);
  return def;
}

nlohmann::ordered_json TableInfo(isam::TDataFile& table) {
  using nlohmann::ordered_json;
  const isam::TDataHeader& h = table.Header();
  ordered_json info;
  info["path"] = isam::Cp1252ToUtf8(table.Path());
  info["header"] = {{"updateCounter", h.updateCounter},   {"blobBlockSize", h.blobBlockSize},
                    {"version", h.version},               {"freeHead", h.freeHead},
                    {"nextRecord", h.nextRecord},         {"lastAutoIncrement", h.lastAutoIncrement},
                    {"recordSize", h.recordSize},         {"fieldCount", h.fieldCount},
                    {"hasBlobs", h.hasBlobs},             {"hasPassword", h.hasPassword},
                    {"languageId", h.languageId},         {"sortId", h.sortId}};
  ordered_json fields = ordered_json::array();
  for (const isam::TFieldDesc& f : table.Fields()) {
    fields.push_back({{"number", f.number},
                      {"name", isam::Cp1252ToUtf8(f.name)},
                      {"type", f.type},
                      {"subtype", f.subtype},
                      {"size", f.declaredSize},
                      {"scale", f.declaredScale},
                      {"storedSize", f.storedSize},
                      {"offset", f.offset},
                      {"required", f.required},
                      {"min", isam::Cp1252ToUtf8(f.minText)},
                      {"max", isam::Cp1252ToUtf8(f.maxText)},
                      {"default", isam::Cp1252ToUtf8(f.defaultText)}});
  }
  info["fields"] = fields;
  isam::TIndexFile& index = table.Index();
  ordered_json indexes = ordered_json::array();
  for (int slot = 0; slot < isam::kIndexSlots; ++slot) {
    if (!index.IndexInUse(slot)) continue;
    const isam::TIndexDescriptor& d = index.Descriptor(slot);
    ordered_json fieldNames = ordered_json::array();
    ordered_json fieldDescending = ordered_json::array();
    for (int i = 0; i < d.fieldCount && slot != isam::kRecordIndexSlot; ++i) {
      uint16_t n = d.fields[i];
      fieldNames.push_back(n >= 1 && n <= table.Fields().size() ? isam::Cp1252ToUtf8(table.Fields()[n - 1].name)
                                                                 : std::to_string(n));
      fieldDescending.push_back(d.fieldDescending[i]);
    }
    indexes.push_back({{"slot", slot},
                       {"name", isam::Cp1252ToUtf8(index.IndexErrorName(slot))},
                       {"primary", slot == 0},
                       {"keyLength", d.keyLength},
                       {"unique", d.unique},
                       {"caseInsensitive", d.caseInsensitive},
                       {"descending", d.descending},
                       {"compression", d.compression},
                       {"fields", fieldNames},
                       {"fieldDescending", fieldDescending}});
  }
  info["indexes"] = indexes;
  info["recordCount"] = index.RecordCount();
  return info;
}

}  // namespace isamtool
