#pragma once
// Index definitions of a new table: what the table creator asks for, their
// checks and the empty index file written from them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file/field_desc.h"
#include "engine/index/index_format.h"

namespace isam {

// One index as the table creator asks for it.
struct TIndexDef {
  std::string name;                   // secondary: required, at most 30 characters
  std::vector<uint16_t> fields;       // field numbers, 1 to 16 of them
  std::vector<bool> fieldDescending;  // per field; missing entries = ascending
  bool descending = false;            // whole index
  bool caseInsensitive = false;
  bool unique = false;                // the primary index is always unique
  uint8_t compression = kCompressNone;
  bool primary = false;
};

// Key length of a definition: 1 + stored size per field, plus the 4-byte
// record-number suffix of a non-unique secondary index. 0 when a field
// number is out of range.
uint16_t KeyLengthFor(const TIndexDef& def, const std::vector<TFieldDesc>& fields);

// Checks a table's index definitions (9487, 9993, 10010, 10022, 10023, 10026,
// 10027, 12292; errors name errorPath, the data file).
int ValidateIndexDefs(const std::vector<TIndexDef>& defs, bool hasPrimary,
                      const std::vector<TFieldDesc>& fields, std::string_view errorPath);

// Writes a valid empty index file at path (extension forced to ".IDX"): the
// primary definition (if any) goes to slot 0, the others to slots 1, 2, ...
// in their order.
int CreateIndexFile(const std::string& path, const std::vector<TIndexDef>& defs, bool hasPrimary,
                    bool enciphered, const std::vector<TFieldDesc>& fields,
                    std::string_view errorPath);

}  // namespace isam
