#pragma once
// Text in table files is Windows-1252; the windows work with QString. These
// two convert at that boundary and nowhere else.
#include <QString>
#include <string>
#include <string_view>

namespace marvessa {

QString ToQString(std::string_view cp1252);
// Characters that Windows-1252 cannot hold become "?".
std::string FromQString(const QString& text);

}  // namespace marvessa
