// Index definitions of a new table: validation and the empty index file.
#include "engine/index/index_defs.h"


#include <string>
#include <vector>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/cipher.h"
#include "engine/index/index_file.h"
#include "engine/index/index_key.h"
#include "engine/text/names.h"

namespace isam {
namespace {

// Longest key: an internal page must still hold four entries, so that
// splits and merges always leave sound pages.
constexpr size_t kMaxKeyLength = kPageEntryBytes / 4 - 10;

TIndexDescriptor DescriptorOf(const TIndexDef& def, const std::vector<TFieldDesc>& fields) {
  TIndexDescriptor desc;
  desc.name = def.name;
  desc.keyLength = KeyLengthFor(def, fields);
  desc.descending = def.descending;
  desc.caseInsensitive = def.caseInsensitive;
  desc.unique = def.primary || def.unique;
  desc.compression = def.compression;
  desc.fieldCount = static_cast<uint8_t>(def.fields.size());
  for (size_t i = 0; i < def.fields.size() && i < kMaxKeyFields; ++i) {
    desc.fields[i] = def.fields[i];
    desc.fieldDescending[i] = i < def.fieldDescending.size() && def.fieldDescending[i];
  }
  return desc;
}

}  // namespace

uint16_t KeyLengthFor(const TIndexDef& def, const std::vector<TFieldDesc>& fields) {
  size_t length = 0;
  for (uint16_t number : def.fields) {
    if (number < 1 || number > fields.size()) return 0;
    length += KeyPartSize(fields[number - 1]);
  }
  if (!def.primary && !def.unique) length += kRecordNumberKeySize;
  return length > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(length);
}

int ValidateIndexDefs(const std::vector<TIndexDef>& defs, bool hasPrimary,
                      const std::vector<TFieldDesc>& fields, std::string_view errorPath) {
  int primaries = 0, secondaries = 0;
  for (const auto& def : defs) (def.primary ? primaries : secondaries)++;
  if (primaries > 1) return ReportError(kPrimaryIndexExists, errorPath);
  if (hasPrimary != (primaries == 1) || secondaries > kMaxSecondaryIndexes)
    return ReportError(kIndexLimits, errorPath);
  for (size_t i = 0; i < defs.size(); ++i) {
    const TIndexDef& def = defs[i];
    const std::string name = def.primary ? std::string("Primary") : def.name;
    if (!def.primary) {
      if (def.name.empty()) return ReportError(kSecondaryIndexNameMissing, errorPath);
      bool printable = true;
      for (unsigned char c : def.name) printable = printable && c >= 0x20;
      if (def.name.size() > 30 || !printable || SameName(def.name, kRecordIndexName))
        return ReportError(kInvalidSecondaryIndexName, errorPath, "", def.name);
      for (size_t j = 0; j < i; ++j)
        if (!defs[j].primary && SameName(defs[j].name, def.name))
          return ReportError(kSecondaryIndexExists, errorPath, "", def.name);
    }
    if (def.fields.empty() || def.fields.size() > kMaxKeyFields || def.compression > kCompressBoth)
      return ReportError(kIndexLimits, errorPath, "", name);
    for (uint16_t number : def.fields) {
      if (number < 1 || number > fields.size())
        return ReportError(kInvalidIndexField, errorPath, std::to_string(number), name);
      const TFieldDesc& field = fields[number - 1];
      if (field.IsBlob() || field.IsComputed()) return ReportError(kInvalidIndexFieldType, errorPath, "", name);
    }
    if (KeyLengthFor(def, fields) > kMaxKeyLength) return ReportError(kInvalidKeySize, errorPath, "", name);
  }
  return kOk;
}

int CreateIndexFile(const std::string& path, const std::vector<TIndexDef>& defs, bool hasPrimary,
                    bool enciphered, const std::vector<TFieldDesc>& fields, std::string_view errorPath) {
  if (int rc = ValidateIndexDefs(defs, hasPrimary, fields, errorPath)) return rc;
  TIndexHeader header;
  header.noPrimary = !hasPrimary;
  int next = 1;
  for (const auto& def : defs) header.indexes[def.primary ? 0 : next++] = DescriptorOf(def, fields);
  header.secondaryCount = static_cast<uint8_t>(next - 1);
  TIndexDescriptor& records = header.indexes[kRecordIndexSlot];
  records.name = kRecordIndexName;
  records.keyLength = kRecordIndexKeyLength;

  std::vector<uint8_t> raw(kIndexPageSize);
  EncodeIndexHeader(header, false, raw.data());
  if (enciphered) ApplyCipher(raw.data(), raw.size(), kDataBlockCipher);
  TFileHandler file(".IDX");
  file.SetErrorPath(std::string(errorPath));
  if (int rc = file.SetPath(path)) return rc;
  if (int rc = file.Create()) return rc;
  int rc = file.Write(0, raw.data(), raw.size());
  file.Close();
  return rc;
}

}  // namespace isam
