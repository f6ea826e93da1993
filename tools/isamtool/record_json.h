#pragma once
// Field values of a record as JSON, the form of isamtool's dump output and
// import input:
//   string, memo, formatted memo -> string (Windows-1252 <-> Unicode)
//   Boolean -> true/false; integer types and type 13 -> number; float, money -> number
//   BCD -> decimal string at the field's scale ("12.50")
//   date "YYYY-MM-DD", time "HH:MM:SS.mmm", date-time "YYYY-MM-DDTHH:MM:SS.mmm"
//   binary, graphic, typed binary, bytes, variable bytes, type 14 -> {"base64": "..."}
//   null -> null
#include <cstdint>
#include <nlohmann/json.hpp>

#include "engine/data/data_file.h"

namespace isamtool {

// The record in `image` (slot `slot`) as a JSON object with "_slot" first.
// Blob values are read from the blob file. Throws EIsamEngineError.
nlohmann::ordered_json RecordToJson(isam::TDataFile& table, uint32_t slot, const uint8_t* image);

// Stores the values of a JSON object into a new record image (initialised by
// the caller). "_slot" and the auto-increment field are ignored; blob values
// are opened in the image and written, to be saved when the record is added.
// Throws std::runtime_error for a value of the wrong kind and
// EIsamEngineError for engine failures.
void JsonToRecord(isam::TDataFile& table, const nlohmann::json& object, uint8_t* image);

// One field from JSON (used by "update --set FIELD=JSONVALUE").
void JsonToField(isam::TDataFile& table, const isam::TFieldDesc& field, const nlohmann::json& value,
                 uint8_t* image, uint32_t slot);

}  // namespace isamtool
