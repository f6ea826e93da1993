#pragma once
// Structural checks of the exhibit picture formats: bitmap, icon, Windows
// metafile and enhanced metafile. They read only headers and record
// framing (sizes, counts, offsets) and do not draw anything; their job is
// to catch a truncated, mislabelled or badly written picture before it
// ships. Each returns an empty string for a sound file, else the reason.
#include <string>
#include <string_view>

namespace content {

std::string CheckBitmap(std::string_view file);
std::string CheckIcon(std::string_view file);
std::string CheckWindowsMetafile(std::string_view file);
std::string CheckEnhancedMetafile(std::string_view file);

// Picks the check by the extension of name (bmp, ico, wmf, emf; any case).
std::string CheckPicture(std::string_view name, std::string_view file);

}  // namespace content
