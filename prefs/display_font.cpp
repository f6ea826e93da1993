#include "prefs/display_font.h"

#include <QFontDatabase>
#include <algorithm>
#include <cmath>

namespace marvessa {

QFont DisplayFont(const TFontSetting& s) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  if (QFontDatabase::families().contains(s.Name, Qt::CaseInsensitive)) font.setFamily(s.Name);
  font.setPointSize(s.Size);
  font.setBold(s.Bold);
  font.setItalic(s.Italic);
  font.setUnderline(s.Underline);
  font.setStrikeOut(s.StrikeOut);
  return font;
}

QColor DisplayColor(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

TFontSetting FontSettingOf(const QFont& chosen, int color, int screenDpi) {
  TFontSetting s;
  s.Name = chosen.family().left(kMaxFaceLength);
  s.Color = color;
  if (chosen.pointSizeF() > 0) {
    s.Size = static_cast<int>(std::lround(chosen.pointSizeF()));
  } else {
    s.Size = static_cast<int>(std::lround(chosen.pixelSize() * 72.0 / (screenDpi > 0 ? screenDpi : 96)));
  }
  s.Size = std::max(s.Size, 1);
  s.Bold = chosen.bold();
  s.Italic = chosen.italic();
  s.Underline = chosen.underline();
  s.StrikeOut = chosen.strikeOut();
  return s;
}

}  // namespace marvessa
