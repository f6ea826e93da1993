#pragma once
// The table schema of isamtool's "create" command, and the "info" view.
//
//   {"fields": [{"name": "Q_ID", "type": 6, "subtype": 29},
//               {"name": "Q1", "type": 1, "size": 250},
//               {"name": "PRICE", "type": 8, "scale": 2},
//               {"name": "N", "type": 6, "required": true, "min": "0", "max": "99", "default": "5"}],
//    "indexes": [{"name": "Primary", "primary": true, "fields": ["Q_ID"]},
//                {"name": "ByExam", "fields": ["Q_EXAM_N"], "unique": false,
//                 "caseInsensitive": false, "descending": false,
//                 "fieldDescending": [false], "compression": 0}],
//    "blobBlockSize": 512, "languageId": 0, "sortId": 0}
//
// "type"/"subtype" are the engine's type codes. No index with "primary": true
// means a table without a primary index.
#include <nlohmann/json.hpp>

#include "engine/data/data_file.h"
#include "engine/data/table_creator.h"

namespace isamtool {

// Throws std::runtime_error with a readable message for a malformed schema.
isam::TTableDef TableDefFromJson(const nlohmann::json& schema);

// Header, field and index descriptors of an open table.
nlohmann::ordered_json TableInfo(isam::TDataFile& table);

}  // namespace isamtool
