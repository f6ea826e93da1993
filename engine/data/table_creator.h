#pragma once
// Creating a table: a data file whose header and descriptors pass every open
// check, its index file and, when it has blob fields, its blob file. The
// program itself only opens tables; tests, tools and the build of the shipped
// question bank create them.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/index/index_defs.h"
#include "engine/index/index_file.h"

namespace isam {

struct TFieldDef {
  std::string name;
  uint8_t type = 0;
  uint8_t subtype = 0;
  uint8_t size = 0;   // string, bytes and variable bytes
  uint8_t scale = 0;  // BCD
  bool required = false;
  std::string minText{};
  std::string maxText{};
  std::string defaultText{};
};

struct TTableDef {
  std::vector<TFieldDef> fields;
  std::vector<TIndexDef> indexes;  // field numbers are 1-based positions in `fields`
  uint32_t blobBlockSize = 512;
  uint16_t languageId = 0;
  uint16_t sortId = 0;
  std::string password;  // empty = none; at most 15 characters
};

// Writes the table's files (the path's extension is replaced). Errors name
// the data file: 10038 for a bad or duplicate field name, 10000 for a bad
// field definition, 10006 for a limit or default that does not convert, 9492
// for too many fields, 9498 for a bad blob block size, the index checks.
int CreateTable(const std::string& path, const TTableDef& def);

}  // namespace isam
