#pragma once
// Base64 (RFC 4648, with padding) for binary field values in JSON.
#include <optional>
#include <string>
#include <string_view>

namespace isamtool {

std::string Base64Encode(std::string_view bytes);
// Nothing for text that is not base64.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace isamtool
