#pragma once
// The locale of a table whose header names a language id. Text in table files
// is Windows-1252; with a locale, strings compare and fold by that locale's
// rules instead of byte by byte. Tables without a locale have no such object.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace isam {

class TTableLocale {
 public:
  virtual ~TTableLocale() = default;
  // Locale-aware comparison of two Windows-1252 strings (<0, 0, >0), ignoring
  // case when asked.
  virtual int Compare(const char* a, size_t aLength, const char* b, size_t bLength,
                      bool ignoreCase) const = 0;
  // Maps key characters in place (half-width forms; upper case when asked).
  virtual void MapKeyCharacters(uint8_t* text, size_t length, bool upperCase) const = 0;
};

// The installed system locale that fits a language id and sort id, or null
// when none is installed (the table is then refused with 15878).
std::unique_ptr<TTableLocale> FindTableLocale(uint16_t languageId, uint16_t sortId);

}  // namespace isam
