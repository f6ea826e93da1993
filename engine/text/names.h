#pragma once
// Names of fields, indexes, sessions and databases compare without regard
// to case, the same everywhere and under any C locale: the letters of
// Windows-1252 (A-Z, the accented letters 0xC0-0xDE but 0xD7, and the pairs
// Š/š, Œ/œ, Ž/ž, Ÿ/ÿ) match their other case; every other byte only itself.
#include <string_view>

namespace isam {

// A byte of Windows-1252 text in upper case.
unsigned char UpperCp1252(unsigned char c);

bool SameName(std::string_view a, std::string_view b);

}  // namespace isam
