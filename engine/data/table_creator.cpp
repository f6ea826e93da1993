#include "engine/data/table_creator.h"

#include <cstring>

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/cipher.h"
#include "engine/data/data_header.h"
#include "engine/file/field_values.h"
#include "engine/file/file_handler.h"
#include "engine/text/names.h"

namespace isam {
namespace {

bool ValidName(const std::string& name) {
  if (name.empty() || name.size() > 30) return false;
  auto first = static_cast<unsigned char>(name[0]);
  return (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || (first >= 129 && first <= 254);
}

bool ValidType(const TFieldDef& f) {
  switch (f.type) {
    case kFieldString:
    case kFieldBytes:
    case kFieldVarBytes: return f.size >= 1 && f.size <= 250;
    case kFieldBlob: return f.subtype >= kSubtypeMemo && f.subtype <= kSubtypeTypedBinary;
    case kFieldInt32: return f.subtype == 0 || f.subtype == kSubtypeAutoIncrement;
    case kFieldFloat: return f.subtype == 0 || f.subtype == kSubtypeMoney;
    case kFieldBcd: return f.scale <= 4;
    case kFieldDate:
    case kFieldBoolean:
    case kFieldInt16:
    case kFieldTime:
    case kFieldDateTime:
    case kFieldUInt16:
    case kFieldInt32Raw:
    case kFieldTenBytes: return f.subtype == 0;
    default: return false;
  }
}

}  // namespace

int CreateTable(const std::string& path, const TTableDef& def) {
  TFileHandler data(".DAT");
  data.SetPath(path);
  const std::string& dataPath = data.Path();
  auto fail = [&](int code, const std::string& field = {}) { return ReportError(code, dataPath, field); };

  if (def.fields.empty() || def.fields.size() > kMaxFields) return fail(kFieldLimits);
  if (def.password.size() > 15) return fail(kInvalidPassword);
  bool hasBlobs = false;
  for (const TFieldDef& f : def.fields) hasBlobs |= f.type == kFieldBlob;
  if (hasBlobs && (def.blobBlockSize < 64 || def.blobBlockSize > 65536 || def.blobBlockSize % 16))
    return fail(kBlobFieldLimits);

  std::vector<TFieldDesc> fields;
  uint32_t running = kRecordPrefixSize;
  int autoIncrements = 0;
  for (size_t i = 0; i < def.fields.size(); ++i) {
    const TFieldDef& f = def.fields[i];
    if (!ValidName(f.name)) return fail(kInvalidFieldName, f.name);
    for (size_t j = 0; j < i; ++j) {
      if (SameName(def.fields[j].name, f.name)) return fail(kInvalidFieldName, f.name);
    }
    if (!ValidType(f)) return fail(kInvalidFieldDefinition, f.name);
    TFieldDesc d;
    d.number = static_cast<uint16_t>(i + 1);
    d.name = f.name;
    d.type = f.type;
    d.subtype = f.subtype;
    d.declaredSize = (f.type == kFieldString || f.type == kFieldBytes || f.type == kFieldVarBytes) ? f.size : 0;
    d.declaredScale = f.type == kFieldBcd ? f.scale : 0;
    d.storedSize = StoredSizeFor(d.type, d.declaredSize);
    d.storedScale = d.declaredScale;
    d.required = f.required;
    d.minText = f.minText;
    d.maxText = f.maxText;
    d.defaultText = f.defaultText;
    if (d.IsAutoIncrement()) {
      if (++autoIncrements > 1) return fail(kInvalidFieldDefinition, f.name);
      d.offset = kAutoIncrementOffset;
    } else {
      d.offset = static_cast<uint16_t>(running);
      running += d.storedSize + 1u;
      if (running > 0xFFFF) return fail(kRecordSizeExceeded);
    }
    std::vector<uint8_t> scratch(d.storedSize);
    std::string error;
    for (const std::string* text : {&d.minText, &d.maxText, &d.defaultText}) {
      if (!text->empty() && !EncodeValueText(d, *text, scratch.data(), &error))
        return fail(kInvalidValidityCheck, f.name);
    }
    fields.push_back(std::move(d));
  }
  bool hasPrimary = false;
  for (const TIndexDef& index : def.indexes) hasPrimary |= index.primary;
  if (int rc = ValidateIndexDefs(def.indexes, hasPrimary, fields, dataPath)) return rc;

  TDataHeader header;
  header.version = kFormatVersion;
  header.blobBlockSize = hasBlobs ? def.blobBlockSize : 0;
  header.nextRecord = 1;
  header.recordSize = static_cast<uint16_t>(running);
  header.fieldCount = static_cast<uint16_t>(fields.size());
  header.hasBlobs = hasBlobs;
  header.hasPassword = !def.password.empty();
  header.password = def.password;
  header.languageId = def.languageId;
  header.sortId = def.sortId;
  std::vector<uint8_t> image(kDataHeaderSize + kFieldDescriptorSize * fields.size());
  header.Encode(image.data(), false);
  for (size_t i = 0; i < fields.size(); ++i) {
    uint8_t* at = image.data() + kDataHeaderSize + i * kFieldDescriptorSize;
    EncodeFieldDescriptor(fields[i], at);
    if (header.hasPassword) ApplyCipher(at, kFieldDescriptorSize, kDataBlockCipher);
  }
  if (int rc = data.Create()) return rc;
  if (int rc = data.Write(0, image.data(), image.size())) return rc;
  data.Close();
  if (int rc = CreateIndexFile(path, def.indexes, hasPrimary, header.hasPassword, fields, dataPath)) return rc;
  if (hasBlobs) {
    if (int rc = CreateBlobFile(path, header.hasPassword, dataPath)) return rc;
  }
  return kOk;
}

}  // namespace isam
