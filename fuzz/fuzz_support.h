#pragma once
// Shared by the fuzz targets and the seed maker: a scratch folder per
// process, the tables seeds are made from, and a table with records of every
// filterable field type for the filter targets.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/file/error_codes.h"
#include "engine/data/data_file.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/data/table_creator.h"
#include "engine/filter/filter_field.h"

namespace isam::fuzzing {

// The seed maker's tables must come out right: a failing step ends the run.
inline void Require(int code) {
  if (code != kOk) throw std::runtime_error("engine error " + std::to_string(code));
}

// A folder of our own under TMPDIR (left behind: a fuzzer runs until killed).
inline std::string ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/marvessa-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  return pattern;
}

// Every filterable type, a memo, a primary index on the auto-increment field
// and a case-insensitive secondary index on NAME.
inline TTableDef FilterTable() {
  auto field = [](const char* name, uint8_t type, uint8_t subtype = 0, uint8_t size = 0, uint8_t scale = 0) {
    TFieldDef f;
    f.name = name;
    f.type = type;
    f.subtype = subtype;
    f.size = size;
    f.scale = scale;
    return f;
  };
  TTableDef def;
  def.fields = {field("ID", kFieldInt32, kSubtypeAutoIncrement), field("NAME", kFieldString, 0, 20),
                field("SMALL", kFieldInt16), field("N", kFieldInt32), field("PRICE", kFieldFloat, kSubtypeMoney),
                field("AMOUNT", kFieldBcd, 0, 0, 2), field("DAY", kFieldDate), field("AT", kFieldTime),
                field("STAMP", kFieldDateTime), field("OK", kFieldBoolean), field("COUNT", kFieldUInt16),
                field("NOTE", kFieldBlob, kSubtypeMemo)};
  def.indexes.push_back({"", {1}, {}, false, false, true, 0, true});
  def.indexes.push_back({"ByName", {2}, {}, false, true, false, kCompressBoth, false});
  return def;
}

inline TFilterFieldList FilterFieldsOf(const std::vector<TFieldDesc>& fields) {
  TFilterFieldList list;
  for (const TFieldDesc& f : fields)
    list.push_back({f.name, f.number, f.type, f.subtype, f.declaredSize, f.declaredScale, true});
  return list;
}

// Puts raw little-endian bytes of a value into a field (null when empty).
inline void PutRaw(const TFieldDesc& f, uint8_t* image, uint64_t bits) {
  std::vector<uint8_t> data(f.storedSize, 0);
  for (size_t i = 0; i < data.size() && i < 8; ++i) data[i] = uint8_t(bits >> (8 * i));
  PutFieldData(f, image, data.data());
}

// A few records of the filter table: ordinary values, blanks, extremes.
inline std::vector<std::vector<uint8_t>> FilterRecords(TDataFile& table) {
  std::vector<std::vector<uint8_t>> images;
  const auto& f = table.Fields();
  const char* names[] = {"alpha", "Beta", "", "zz top*", "abc"};
  for (int r = 0; r < 5; ++r) {
    std::vector<uint8_t> image(table.RecordSize());
    table.InitRecord(image.data());
    PutU32(image.data() + 5, uint32_t(r + 1));
    PutFieldString(f[1], image.data(), names[r]);
    if (r != 2) {
      double price = r * 12.5 - 20;
      uint64_t bits;
      std::memcpy(&bits, &price, 8);
      PutRaw(f[2], image.data(), uint64_t(int64_t(r * 1000 - 32768)));
      PutRaw(f[3], image.data(), uint64_t(int64_t(r == 4 ? -2147483647 - 1 : r * 7)));
      PutRaw(f[4], image.data(), bits);
      PutRaw(f[5], image.data(), uint64_t(int64_t(r * 12502 - 3)));
      PutRaw(f[6], image.data(), uint64_t(730000 + r));
      PutRaw(f[7], image.data(), uint64_t(r * 3600000));
      double stamp = (730000.0 + r) * 86400000.0;
      std::memcpy(&bits, &stamp, 8);
      PutRaw(f[8], image.data(), bits);
      PutRaw(f[9], image.data(), uint64_t(r & 1));
      PutRaw(f[10], image.data(), uint64_t(r * 16000));
    }
    images.push_back(std::move(image));
  }
  return images;
}

}  // namespace isam::fuzzing
