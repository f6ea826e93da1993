#include "exam/data/qt_text.h"

#include "engine/table_text.h"

namespace marvessa {

QString ToQString(std::string_view cp1252) {
  std::string utf8 = isam::Cp1252ToUtf8(cp1252);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  // Character by character, so that one foreign character costs only itself.
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype width = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    QByteArray one = text.mid(i, width).toUtf8();
    std::optional<std::string> converted = isam::Utf8ToCp1252(one.toStdString());
    out += converted ? *converted : std::string("?");
    i += width - 1;
  }
  return out;
}

}  // namespace marvessa
