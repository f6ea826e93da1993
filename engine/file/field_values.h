#pragma once
// Typed values of fields and their stored encodings, and the conversion of
// value texts (defaults, minimum and maximum checks) in the engine's fixed
// formats: decimal ".", thousands ",", short date "M/d/yyyy", time ":" with
// optional "AM"/"PM". Tables with a locale would use the locale's formats;
// the program's tables have none.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/file/field_desc.h"

namespace isam {

// Day number in the proleptic Gregorian calendar, 1 January of year 1 = day 1.
int32_t DayNumber(int year, int month, int day);
void CivilFromDayNumber(int32_t dayNumber, int* year, int* month, int* day);
// Today and the current time of day (local time).
int32_t TodayDayNumber();
int32_t MillisecondsNow();

constexpr double kMillisecondsPerDay = 86400000.0;

// Texts in the fixed formats. Each returns nothing when the text does not parse.
std::optional<double> ParseNumber(std::string_view text);
std::optional<int32_t> ParseDate(std::string_view text);          // M/d/yyyy
std::optional<int32_t> ParseTime(std::string_view text);          // H:mm[:ss[.zzz]] [AM|PM]
std::optional<double> ParseDateTime(std::string_view text);       // date [time]

// A value text converted to a field's stored bytes (data area, storedSize
// bytes). Handles the special words of default values ("DATE", "TIME", "NOW",
// "TRUE", "FALSE"). On failure returns false and sets *error to the message of
// the conversion error (e.g. "'maybe' is not a valid boolean value").
bool EncodeValueText(const TFieldDesc& field, std::string_view text, uint8_t* data,
                     std::string* error);

// Compares two stored data areas of one field by its type: strings byte by
// byte over the longer length, numbers numerically, moments as moments.
int CompareStoredValues(const TFieldDesc& field, const uint8_t* a, const uint8_t* b);

}  // namespace isam
