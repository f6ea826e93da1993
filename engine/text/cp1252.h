#pragma once
// Windows-1252, the code page of the text stored in table files, and UTF-8,
// the encoding of everything outside them (JSON sources, the UI layer).
//
// The block 0x80-0x9F is mapped as Windows maps it: the 27 assigned bytes
// to their typographic characters (0x80 euro sign, 0x93/0x94 quotes, ...),
// the five unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D to the C1
// control characters of the same value, so that every byte string converts
// to UTF-8 and back unchanged.
#include <optional>
#include <string>
#include <string_view>

namespace isam {

// Every byte string is valid Windows-1252; this cannot fail.
std::string Cp1252ToUtf8(std::string_view bytes);

// Empty result when the input is not well-formed UTF-8 (truncated or
// overlong sequences, surrogates, values above U+10FFFF) or holds a
// character that Windows-1252 cannot represent.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);

}  // namespace isam
