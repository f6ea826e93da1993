#pragma once
// A stored font as the display shows it, and a font chosen in the font
// dialog as it is stored.
#include <QColor>
#include <QFont>

#include "prefs/settings.h"

namespace marvessa {

// The face when it is installed, else the platform's sans-serif face at the
// same size; the setting keeps the face it names.
QFont DisplayFont(const TFontSetting& setting);

// 0x00BBGGRR as a colour.
QColor DisplayColor(int color);

// The font chosen in the dialog, with the setting's colour (the dialog has
// none); sizes in whole points, also for a font measured in pixels.
TFontSetting FontSettingOf(const QFont& chosen, int color, int screenDpi);

}  // namespace marvessa
